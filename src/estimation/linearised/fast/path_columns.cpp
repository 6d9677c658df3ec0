#include "estimation/linearised/fast/path_columns.h"

#include <algorithm>

#include "estimation/linearised/fast/sparse_patterns.h"
#include "numeric/thread_team.h"

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

// Origin row g of the pricing scan, starting from the running best `best`
// (updated): the last pair of the row that became the best, or no pair
// (BestReducedCost kUnreachable).
//
// Why the rows' results, taken in row order with "strictly less", give the
// pair of one row-major scan. That scan ends with the pair W that is first in
// row-major order among the non-duplicate pairs whose reduced cost r equals
// m, the least r below kUnreachable among non-duplicates (NaN never
// qualifies): every non-duplicate pair with r below the running best becomes
// the best, so the best ends at m, and it is set at the first pair reaching
// m, as only a strictly smaller r replaces it. Whether a pair duplicates a
// basic column does not depend on the scan. Here each thread's running best
// is always the r of a non-duplicate pair it took earlier in row-major order
// (its rows come in increasing order), or kUnreachable. When the thread of
// W's row reaches W its best is above m (a best of m would be a
// non-duplicate pair with r = m before W), so W is taken, and nothing after
// it in the row replaces it (no r is below m). Every row before W's reports
// above m or nothing (a report of m would again precede W); rows after it
// report m or more. So the first row reporting a strictly least value is
// W's row, and it reports W.
PricingResult scanOriginRow(const EstimationWorkspace& workspace, ZoneIndex g, double& best,
                            std::vector<int>& links) {
  PricingResult row;
  const double* cost = workspace.CostTable[g];
  const double* pathCost = workspace.PathCostMatrix[g];
  for (ZoneIndex i = 0; i < workspace.zoneCount; ++i) {
    const double reduced = cost[i] + pathCost[i];
    if (!(reduced < best)) continue;
    tracePathLinks(workspace, g, i, links);
    if (duplicatesBasicColumnFast(workspace.Scratch, links)) continue;
    best = reduced;
    row.BestReducedCost = reduced;
    row.EnteringPair = OdPair{g, i};
  }
  return row;
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
  const int n = workspace.zoneCount;
  std::vector<PricingResult> rowBest(static_cast<std::size_t>(n));
  // Each chunk of origin rows is scanned in increasing order by one member,
  // which carries its running best from one row to the next.
  ThreadTeam* team = workspace.Team.get();
  forEachChunk(team, n, chunkRows(team, n), [&](int first, int end, int) {
    std::vector<int> links;
    double best = kUnreachable;
    for (ZoneIndex g = first; g < end; ++g) rowBest[g] = scanOriginRow(workspace, g, best, links);
  });
  // --- The rows' results in row order: the first strictly least ------------------
  PricingResult result;
  for (const PricingResult& row : rowBest) {
    if (row.BestReducedCost < result.BestReducedCost) result = row;
  }
  return result;
}

}  // namespace veldmark::fast
