#include "estimation/fast_pricing.h"

#include <algorithm>

#include "estimation/sparse_patterns.h"

namespace veldmark {
namespace {

// The sorted, distinct links of the traced path from origin to destination.
void tracePathLinks(const EstimationWorkspace& workspace, ZoneIndex origin, ZoneIndex destination,
                    std::vector<int>& links) {
  const int n = workspace.zoneCount;
  links.clear();
  ZoneIndex w = destination;
  for (int step = 0; step < n; ++step) {
    const ZoneIndex prior = w;
    w = workspace.PathPredecessorMatrix[origin][prior];
    const int link = workspace.Scratch.firstLink[static_cast<std::size_t>(w) * n + prior];
    if (link >= 0) links.push_back(link);
    if (w == origin) break;
  }
  std::sort(links.begin(), links.end());
  links.erase(std::unique(links.begin(), links.end()), links.end());
}

// True when basic column j holds exactly the links in `links` (as 1.0).
bool columnHolds(const PivotScratch& scratch, int j, const std::vector<int>& links) {
  const RowPattern& columns = scratch.basisColumns;
  const int begin = columns.start[j];
  const int count = columns.start[j + 1] - begin;
  return count == static_cast<int>(links.size()) &&
         std::equal(links.begin(), links.end(), columns.columns.begin() + begin);
}

bool duplicatesBasicColumnFast(const PivotScratch& scratch, const std::vector<int>& links) {
  const auto range =
      scratch.columnsByHash.equal_range(hashLinkSet(links.data(), static_cast<int>(links.size())));
  for (auto it = range.first; it != range.second; ++it) {
    if (columnHolds(scratch, it->second, links)) return true;
  }
  return false;
}

}  // namespace

void indexFirstLinks(EstimationWorkspace& workspace, const AbstractNetwork& network) {
  const std::size_t n = static_cast<std::size_t>(workspace.zoneCount);
  std::vector<int>& table = workspace.Scratch.firstLink;
  if (table.size() == n * n) return;
  table.assign(n * n, -1);
  for (int v = network.linkCount() - 1; v >= 0; --v) {
    const LinkZoneEnds ends = network.linkZones[v];
    table[static_cast<std::size_t>(ends.from) * n + ends.to] = v;
  }
}

void traceColumnFast(const EstimationWorkspace& workspace, const AbstractNetwork& network,
                     ZoneIndex origin, ZoneIndex destination, double* column) {
  (void)network;
  const int n = workspace.zoneCount;
  for (int k = 0; k < workspace.linkCount; ++k) column[k] = 0.0;
  ZoneIndex w = destination;
  for (int step = 0; step < n; ++step) {
    const ZoneIndex prior = w;
    w = workspace.PathPredecessorMatrix[origin][prior];
    const int link = workspace.Scratch.firstLink[static_cast<std::size_t>(w) * n + prior];
    if (link >= 0) column[link] = 1.0;
    if (w == origin) break;
  }
}

PricingResult priceColumnsFast(EstimationWorkspace& workspace, const AbstractNetwork& network) {
  if (!workspace.Scratch.zeroOneBasis) return priceColumns(workspace, network);
  indexBasicColumns(workspace);
  PricingResult result;
  std::vector<int>& links = workspace.Scratch.pathLinks;
  const int n = workspace.zoneCount;
  for (ZoneIndex g = 0; g < n; ++g) {
    const double* cost = workspace.CostTable[g];
    const double* pathCost = workspace.PathCostMatrix[g];
    for (ZoneIndex i = 0; i < n; ++i) {
      const double reduced = cost[i] + pathCost[i];
      if (!(reduced < result.BestReducedCost)) continue;
      tracePathLinks(workspace, g, i, links);
      if (duplicatesBasicColumnFast(workspace.Scratch, links)) continue;
      result.BestReducedCost = reduced;
      result.EnteringPair = OdPair{g, i};
    }
  }
  return result;
}

}  // namespace veldmark
