#include "estimation/fast/path_columns.h"

#include <algorithm>

#include "estimation/fast/sparse_patterns.h"

namespace veldmark::fast {
namespace {

// The first link from zone a to zone b, from the table built once per run.
struct FirstLinkTable {
  const EstimationWorkspace& workspace;
  int operator()(ZoneIndex a, ZoneIndex b) const {
    const std::size_t n = static_cast<std::size_t>(workspace.zoneCount);
    return workspace.Scratch.firstLink[static_cast<std::size_t>(a) * n + b];
  }
};

// The sorted, distinct links of the traced path from origin to destination.
void tracePathLinks(const EstimationWorkspace& workspace, ZoneIndex origin, ZoneIndex destination,
                    std::vector<int>& links) {
  links.clear();
  walkPath(workspace, origin, destination, FirstLinkTable{workspace},
           [&](int link) { links.push_back(link); });
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

void traceColumn(const EstimationWorkspace& workspace, ZoneIndex origin, ZoneIndex destination,
                 double* column) {
  for (int k = 0; k < workspace.linkCount; ++k) column[k] = 0.0;
  walkPath(workspace, origin, destination, FirstLinkTable{workspace},
           [&](int link) { column[link] = 1.0; });
}

PricingResult priceColumns(EstimationWorkspace& workspace, const AbstractNetwork& network) {
  if (!workspace.Scratch.zeroOneBasis) return veldmark::priceColumns(workspace, network);
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

}  // namespace veldmark::fast
