#include "estimation/balancing/free_flow_loading.h"

#include <algorithm>
#include <cstdint>

#include "assignment/link_cost.h"
#include "assignment/path_tree.h"

namespace veldmark {
namespace {

// Origins whose trees are computed together: a fixed number, so that the
// order of the sums does not depend on the team.
constexpr int kOriginBlock = 16;

// Per origin zone (in order of first appearance), its pairs in list order;
// diagonal pairs left out.
std::vector<std::vector<int>> pairsByOrigin(const std::vector<ZonePair>& pairs, int zoneCount,
                                            std::vector<int>& originZone) {
  std::vector<int> originOfZone(static_cast<std::size_t>(zoneCount), -1);
  std::vector<std::vector<int>> byOrigin;
  for (std::size_t p = 0; p < pairs.size(); ++p) {
    if (pairs[p].origin == pairs[p].destination) continue;
    if (originOfZone[pairs[p].origin] < 0) {
      originOfZone[pairs[p].origin] = static_cast<int>(originZone.size());
      originZone.push_back(pairs[p].origin);
      byOrigin.emplace_back();
    }
    byOrigin[originOfZone[pairs[p].origin]].push_back(static_cast<int>(p));
  }
  return byOrigin;
}

}  // namespace

void freeFlowLoading(const RoadNetwork& network, const ZoneSet& zones,
                     const std::vector<ZonePair>& pairs, const std::vector<double>& demand,
                     ThreadTeam* team, std::vector<double>& linkVolumes) {
  const int links = network.linkCount();
  const std::size_t nodes = static_cast<std::size_t>(network.nodeCount());
  const CostModel model = makeCostModel(network, 0.0, 0.0);
  std::vector<double> costs(static_cast<std::size_t>(links));
  for (int a = 0; a < links; ++a) costs[a] = linkCost(model, a, 0.0);  // c_a(0)
  std::vector<int> originZone;
  const std::vector<std::vector<int>> byOrigin =
      pairsByOrigin(pairs, zones.zoneCount(), originZone);
  const int origins = static_cast<int>(originZone.size());
  std::vector<std::int32_t> trees(kOriginBlock * nodes);
  std::vector<TreeScratch> scratch(team != nullptr ? static_cast<std::size_t>(team->size()) : 1);
  linkVolumes.assign(static_cast<std::size_t>(links), 0.0);
  for (int first = 0; first < origins; first += kOriginBlock) {
    const int end = std::min(origins, first + kOriginBlock);
    forEachItem(team, end - first, 1, [&](int item, int member) {
      shortestPathTree(network, zones, zones.zoneNode[originZone[first + item]], costs.data(),
                       trees.data() + item * nodes, scratch[member]);
    });
    // --- Each pair's demand along its tree route, destination to origin.
    for (int origin = first; origin < end; ++origin) {
      const std::int32_t* predecessor = trees.data() + (origin - first) * nodes;
      const int root = zones.zoneNode[originZone[origin]];
      for (const int p : byOrigin[origin]) {
        int node = zones.zoneNode[pairs[p].destination];
        if (predecessor[node] < 0) continue;  // unreachable
        while (node != root) {
          const std::int32_t a = predecessor[node];
          linkVolumes[a] += demand[p];  // V_a += T_p
          node = network.from[a];
        }
      }
    }
  }
}

}  // namespace veldmark
