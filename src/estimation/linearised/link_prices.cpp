#include "estimation/linearised/link_prices.h"

#include "estimation/linearised/limits.h"

namespace veldmark {

void computeLinkPrices(EstimationWorkspace& workspace) {
  const int l = workspace.linkCount;
  for (int d = 0; d < l; ++d) {
    double dual = 0.0;
    for (int k = 0; k < l; ++k)
      dual = dual + workspace.BasicCosts[k] * workspace.BasisInverse[k][d];
    workspace.DualValues[d] = dual;
    workspace.LinkPrice[d] = -1.0 * dual;
  }
}

void floorNegativePrices(EstimationWorkspace& workspace) {
  for (double& price : workspace.LinkPrice) {
    if (price < 0) price = kFlowFloor;
  }
}

void prepareShortestPaths(EstimationWorkspace& workspace, const AbstractNetwork& network) {
  const int n = workspace.zoneCount;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      if (i == j) {
        workspace.PathCostMatrix[i][i] = 0.0;
        workspace.PathPredecessorMatrix[i][i] = i;
      } else {
        workspace.PathCostMatrix[i][j] = kUnreachable;
      }
    }
  }
  for (int v = 0; v < workspace.linkCount; ++v) {
    const LinkZoneEnds ends = network.linkZones[v];
    workspace.PathCostMatrix[ends.from][ends.to] = workspace.LinkPrice[v];
    workspace.PathPredecessorMatrix[ends.from][ends.to] = ends.from;
  }
}

}  // namespace veldmark
