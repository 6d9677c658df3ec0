#include "estimation/linearised/path_columns.h"

namespace veldmark {
namespace {

// The first link in link order from zone `from` to zone `to`, or -1.
int firstLinkBetween(const AbstractNetwork& network, ZoneIndex from, ZoneIndex to) {
  const NodeId fromNode = network.zoneList[from];
  const NodeId toNode = network.zoneList[to];
  for (int v = 0; v < network.linkCount(); ++v) {
    if (network.endpoints[v].from == fromNode && network.endpoints[v].to == toNode) return v;
  }
  return -1;
}

}  // namespace

void traceColumn(const EstimationWorkspace& workspace, const AbstractNetwork& network,
                 ZoneIndex origin, ZoneIndex destination, double* column) {
  for (int k = 0; k < workspace.linkCount; ++k) column[k] = 0.0;
  walkPath(
      workspace, origin, destination,
      [&](ZoneIndex from, ZoneIndex to) { return firstLinkBetween(network, from, to); },
      [&](int link) { column[link] = 1.0; });
}

bool duplicatesBasicColumn(const EstimationWorkspace& workspace, const double* column) {
  const int l = workspace.linkCount;
  for (int j = 0; j < l; ++j) {
    bool equal = true;
    for (int k = 0; k < l && equal; ++k) equal = column[k] == workspace.BasisMatrix[k][j];
    if (equal) return true;
  }
  return false;
}

PricingResult priceColumns(EstimationWorkspace& workspace, const AbstractNetwork& network) {
  PricingResult result;
  const int n = workspace.zoneCount;
  for (ZoneIndex g = 0; g < n; ++g) {
    for (ZoneIndex i = 0; i < n; ++i) {
      const double reduced = workspace.CostTable[g][i] + workspace.PathCostMatrix[g][i];
      if (!(reduced < result.BestReducedCost)) continue;
      traceColumn(workspace, network, g, i, workspace.EnteringColumn.data());
      if (duplicatesBasicColumn(workspace, workspace.EnteringColumn.data())) continue;
      result.BestReducedCost = reduced;
      result.EnteringPair = OdPair{g, i};
    }
  }
  return result;
}

}  // namespace veldmark
