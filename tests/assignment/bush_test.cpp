// Bushes: the topological order, growth keeping them acyclic, a shift on a
// hand case, the bush engine against the path engine on random networks, and
// the routes cut out of the bushes.
#include "assignment/bush.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "assignment/bush_flow.h"
#include "assignment/bush_growth.h"
#include "assignment/equilibrium.h"
#include "assignment/link_cost.h"
#include "assignment/network_fixture.h"
#include "assignment/path_tree.h"
#include "assignment/route_equilibrium.h"

namespace veldmark {
namespace {

using testing::makeNetwork;
using testing::makeZones;

// Every entry's tail comes before its head in the order, each node once.
void expectTopological(const RoadNetwork& network, const Bush& bush) {
  std::vector<int> seen(static_cast<std::size_t>(network.nodeCount()), 0);
  for (int k = 0; k < bush.nodeCount(); ++k) {
    EXPECT_EQ(seen[bush.order[k]]++, 0);
    for (std::int32_t e = bush.firstIn[k]; e < bush.firstIn[k + 1]; ++e) {
      EXPECT_LT(bush.inTail[e], k);
      EXPECT_EQ(network.to[bush.inLink[e]], bush.order[k]);
      EXPECT_EQ(network.from[bush.inLink[e]], bush.order[bush.inTail[e]]);
    }
  }
}

// Nodes 1 -> 2 -> 4 (costs 0, 1 + v) and 1 -> 3 -> 4 (costs 0, 2 + v), and
// a link 3 -> 2 of cost 5.
RoadNetwork diamond() {
  return makeNetwork({{1, 2, 0.0},
                      {2, 4, 1.0, 1.0, 1.0, 1.0},
                      {1, 3, 0.0},
                      {3, 4, 2.0, 0.5, 1.0, 1.0},
                      {3, 2, 5.0}});
}

TEST(Bush, GrowsByShortcutsAndShiftsToTheClosedForm) {
  const RoadNetwork network = diamond();
  const ZoneSet zones = makeZones(network, {1, 4}, false);
  const CostModel model = makeCostModel(network, 0.0, 0.0);
  LinkState links;
  const std::size_t n = static_cast<std::size_t>(network.linkCount());
  links.volume.assign(n, 0.0);
  links.cost.assign(n, 0.0);
  links.derivative.assign(n, 0.0);
  // The bush 1 -> 2 -> 4 and 1 -> 3, 3 trips to node 4 (index 2) on 1 -> 2 -> 4.
  BushBuild build;
  build.links = {0, 1, 2};
  build.flows = {3.0, 3.0, 0.0};
  Bush bush;
  makeBush(network, 0, build, bush);
  expectTopological(network, bush);
  for (int a = 0; a < network.linkCount(); ++a) setLinkVolume(model, links, a, a < 2 ? 3.0 : 0.0);
  // 1 -> 3 -> 4 costs 2 < 1 + 3: link 3 -> 4 joins; 3 -> 2 does not
  // (0 + 5 > 0), and 1 -> 3 stays though flowless (the cheapest route to 3).
  BushLabels labels;
  EXPECT_EQ(growBush(network, zones, links.cost.data(), bush, labels, build), 1);
  expectTopological(network, bush);
  EXPECT_EQ(bush.entryCount(), 4);
  // Newton on two linear segments is exact: volumes (2, 1), costs 3; the
  // spread before the shift was U − L = 4 − 2 at node 4.
  EXPECT_EQ(shiftBush(model, links, bush, labels), 2.0);
  EXPECT_NEAR(links.volume[1], 2.0, 1e-12);
  EXPECT_NEAR(links.volume[3], 1.0, 1e-12);
  EXPECT_NEAR(links.volume[0], 2.0, 1e-12);
  EXPECT_NEAR(shiftBush(model, links, bush, labels), 0.0, 1e-12);
  // The flowless link 1 -> 2 -> 4 stays used; growing again drops nothing.
  EXPECT_EQ(growBush(network, zones, links.cost.data(), bush, labels, build), 0);
  EXPECT_EQ(bush.entryCount(), 4);
}

TEST(Bush, GrowthKeepsRandomBushesAcyclicAndReached) {
  const RoadNetwork network = testing::randomNetwork(40, 160, 3);
  const ZoneSet zones = makeZones(network, {1, 2, 3, 4, 5}, true);
  std::vector<double> costs(static_cast<std::size_t>(network.linkCount()));
  for (int a = 0; a < network.linkCount(); ++a) costs[a] = network.freeFlowTime[a];
  // Start from the ring alone out of node 1, then grow at costs that change.
  BushBuild build;
  for (int a = 0; a < 39; ++a) build.links.push_back(a);
  build.flows.assign(build.links.size(), 1.0);
  Bush bush;
  makeBush(network, 0, build, bush);
  BushLabels labels;
  for (int round = 0; round < 5; ++round) {
    growBush(network, zones, costs.data(), bush, labels, build);
    expectTopological(network, bush);
    EXPECT_EQ(bush.nodeCount(), network.nodeCount());
    for (int a = 0; a < network.linkCount(); ++a) costs[a] = 1.0 + (a * 7 + round * 3) % 10;
  }
}

TEST(Bush, MeetsThePathEngineOnRandomNetworks) {
  for (const unsigned seed : {11u, 12u, 13u}) {
    // Every link congestible, so that the equilibrium volumes are unique.
    RoadNetwork network = testing::randomNetwork(50, 150, seed);
    for (int a = 0; a < network.linkCount(); ++a) {
      network.freeFlowTime[a] += 1.0;
      network.b[a] += 0.15;
    }
    for (const bool through : {false, true}) {
      const ZoneSet zones = makeZones(network, {1, 2, 3, 4, 5, 6, 7, 8}, through);
      std::vector<ZonePair> pairs;
      std::vector<double> demand;
      for (int o = 0; o < zones.zoneCount(); ++o) {
        for (int d = 0; d < zones.zoneCount(); ++d) {
          pairs.push_back({o, d});
          demand.push_back(5.0 + 9.0 * ((o * 5 + d * 3 + static_cast<int>(seed)) % 7));
        }
      }
      AssignmentSettings settings;
      settings.gap = 1e-10;
      settings.maxIterations = 300;
      const AssignmentResult bush = assignPairs(network, zones, pairs, demand, settings);
      const AssignmentResult path = assignPairsByRoutes(network, zones, pairs, demand, settings);
      EXPECT_LE(bush.iterations.back().gap, 1e-10) << seed;
      EXPECT_EQ(bush.unreachablePairs, path.unreachablePairs);
      for (int a = 0; a < network.linkCount(); ++a) {
        EXPECT_NEAR(bush.linkVolumes[a], path.linkVolumes[a], 1e-3) << seed << " link " << a;
      }
    }
  }
}

TEST(Bush, RoutesCarryTheBushFlowThroughZonesAndEmptyPairsTakeTheShortest) {
  // Zones as junctions: trips to a near zone and through it to farther ones
  // share links, so the routes must be cut farthest destination first.
  const RoadNetwork network = testing::randomNetwork(30, 90, 5);
  const ZoneSet zones = makeZones(network, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, true);
  std::vector<ZonePair> pairs;
  std::vector<double> demand;
  for (int o = 0; o < zones.zoneCount(); ++o) {
    for (int d = 0; d < zones.zoneCount(); ++d) {
      pairs.push_back({o, d});
      demand.push_back((o + d) % 4 == 0 ? 0.0 : 20.0 + 3.0 * ((o * 7 + d) % 5));
    }
  }
  AssignmentSettings settings;
  settings.gap = 1e-9;
  const AssignmentResult result = assignPairs(network, zones, pairs, demand, settings);
  std::vector<double> loaded;
  loadPairs(result.routes, demand, loaded, nullptr);
  for (int a = 0; a < network.linkCount(); ++a) {
    EXPECT_NEAR(loaded[a], result.linkVolumes[a], 1e-9 * (1.0 + result.linkVolumes[a]));
  }
  const RouteSet& routes = result.routes;
  TreeScratch scratch;
  std::vector<std::int32_t> predecessor(static_cast<std::size_t>(network.nodeCount()));
  for (int p = 0; p < routes.pairCount(); ++p) {
    if (pairs[p].origin == pairs[p].destination || demand[p] > 0.0) continue;
    ASSERT_EQ(routes.firstRoute[p + 1] - routes.firstRoute[p], 1);
    const std::int64_t r = routes.firstRoute[p];
    EXPECT_EQ(routes.shares[r], 1.0);
    double cost = 0.0;
    for (std::int64_t k = routes.firstLink[r]; k < routes.firstLink[r + 1]; ++k) {
      cost += result.linkCosts[routes.routeLinks[k]];
    }
    shortestPathTree(network, zones, zones.zoneNode[pairs[p].origin], result.linkCosts.data(),
                     predecessor.data(), scratch);
    EXPECT_NEAR(cost, scratch.distance[zones.zoneNode[pairs[p].destination]], 1e-9);
  }
}

}  // namespace
}  // namespace veldmark
