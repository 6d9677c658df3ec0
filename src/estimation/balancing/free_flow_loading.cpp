#include "estimation/balancing/free_flow_loading.h"

#include <algorithm>
#include <cstdint>

#include "assignment/link_cost.h"
#include "assignment/origin_groups.h"
#include "assignment/path_tree.h"

namespace veldmark {
namespace {

// Origins whose trees are computed together: a fixed number, so that the
// order of the sums does not depend on the team.
constexpr int kOriginBlock = 16;

}  // namespace

void freeFlowLoading(const RoadNetwork& network, const ZoneSet& zones,
                     const std::vector<ZonePair>& pairs, const std::vector<double>& demand,
                     ThreadTeam* team, std::vector<double>& linkVolumes) {
  const int links = network.linkCount();
  const std::size_t nodes = static_cast<std::size_t>(network.nodeCount());
  const CostModel model = makeCostModel(network, 0.0, 0.0);
  std::vector<double> costs(static_cast<std::size_t>(links));
  for (int a = 0; a < links; ++a) costs[a] = linkCost(model, a, 0.0);  // c_a(0)
  std::vector<double> starCost;
  costsInStarOrder(network, costs.data(), starCost);
  const OriginGroups groups = groupByOrigin(zones.zoneCount(), pairs, demand);
  const std::vector<int>& originZone = groups.originZone;
  const int origins = static_cast<int>(originZone.size());
  std::vector<std::int32_t> trees(kOriginBlock * nodes);
  std::vector<TreeScratch> scratch(team != nullptr ? static_cast<std::size_t>(team->size()) : 1);
  linkVolumes.assign(static_cast<std::size_t>(links), 0.0);
  for (int first = 0; first < origins; first += kOriginBlock) {
    const int end = std::min(origins, first + kOriginBlock);
    forEachItem(team, end - first, 1, [&](int item, int member) {
      shortestPathTreeInStarOrder(network, zones, zones.zoneNode[originZone[first + item]],
                                  starCost.data(), trees.data() + item * nodes, scratch[member]);
    });
    // --- Each pair's demand along its tree route, destination to origin.
    for (int origin = first; origin < end; ++origin) {
      const std::int32_t* predecessor = trees.data() + (origin - first) * nodes;
      const int root = zones.zoneNode[originZone[origin]];
      for (const int p : groups.originPairs[origin]) {
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
