// The equilibrium assignment: the closed form of two routes, the gap after
// an all-or-nothing loading, flat links, pairs left out, centroids, and the
// same bits on one, two and three threads.
#include "assignment/equilibrium.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "assignment/link_cost.h"
#include "assignment/network_fixture.h"

namespace veldmark {
namespace {

using testing::makeNetwork;
using testing::makeZones;

// Two parallel links from 1 to 2 with costs 1 + v and 2 + v.
RoadNetwork twoRoutes() {
  return makeNetwork({{1, 2, 1.0, 1.0, 1.0, 1.0}, {1, 2, 2.0, 0.5, 1.0, 1.0}});
}

AssignmentResult assign(const RoadNetwork& network, const ZoneSet& zones,
                        const std::vector<ZonePair>& pairs, const std::vector<double>& demand,
                        double gap = 1e-12, int maxIterations = 200, ThreadTeam* team = nullptr) {
  AssignmentSettings settings;
  settings.gap = gap;
  settings.maxIterations = maxIterations;
  settings.team = team;
  return assignPairs(network, zones, pairs, demand, settings);
}

TEST(Equilibrium, TwoRoutesSplitAsTheClosedFormSays) {
  const RoadNetwork network = twoRoutes();
  const ZoneSet zones = makeZones(network, {1, 2}, false);
  const AssignmentResult result = assign(network, zones, {{0, 1}}, {3.0});
  EXPECT_EQ(result.stop, AssignmentStop::kGapReached);
  // Costs 1 + v and 2 + v meet at v = (2, 1), both costing 3.
  EXPECT_NEAR(result.linkVolumes[0], 2.0, 1e-12);
  EXPECT_NEAR(result.linkVolumes[1], 1.0, 1e-12);
  EXPECT_NEAR(result.linkCosts[0], 3.0, 1e-12);
  const RouteSet& routes = result.routes;
  ASSERT_EQ(routes.pairCount(), 1);
  ASSERT_EQ(routes.routeCount(), 2);
  for (std::int64_t r = 0; r < 2; ++r) {
    const std::int32_t link = routes.routeLinks[routes.firstLink[r]];
    EXPECT_NEAR(routes.shares[r], link == 0 ? 2.0 / 3.0 : 1.0 / 3.0, 1e-12);
  }
  EXPECT_EQ(result.iterations.back().gap, 0.0);
}

TEST(Equilibrium, GapAfterTheAllOrNothingLoading) {
  // Iteration 0 loads 3 trips on the free-flow cheapest link (cost 1 + 3 = 4)
  // while the other costs 2: gap = (3 · 4 − 3 · 2) / (3 · 4) = 0.5. The
  // objective is ∫₀³ (1 + s) ds = 7.5.
  const RoadNetwork network = twoRoutes();
  const ZoneSet zones = makeZones(network, {1, 2}, false);
  const AssignmentResult result = assign(network, zones, {{0, 1}}, {3.0}, 1e-12, 1);
  EXPECT_EQ(result.stop, AssignmentStop::kIterationCap);
  ASSERT_EQ(result.iterations.size(), 2u);
  EXPECT_TRUE(std::isinf(result.iterations[0].gap));
  EXPECT_EQ(result.iterations[1].gap, 0.5);
  EXPECT_EQ(result.iterations[1].objective, 7.5);
  EXPECT_EQ(relativeGap(12.0, 6.0), 0.5);
  EXPECT_EQ(relativeGap(0.0, 0.0), 0.0);
}

TEST(Equilibrium, FlatLinksTakeEverythingOrShareTheirCost) {
  // A flat link (b = 0) of cost 2 beside a congestible one of cost 1 + v:
  // the equilibrium fills the congestible one to cost 2 (v = 1), the rest flat.
  const RoadNetwork network = makeNetwork({{1, 2, 2.0}, {1, 2, 1.0, 1.0, 1.0, 1.0}});
  const ZoneSet zones = makeZones(network, {1, 2}, false);
  const AssignmentResult result = assign(network, zones, {{0, 1}}, {5.0});
  EXPECT_NEAR(result.linkVolumes[1], 1.0, 1e-12);
  EXPECT_NEAR(result.linkVolumes[0], 4.0, 1e-12);
  // Two flat links of different cost: all on the cheaper one.
  const RoadNetwork flat = makeNetwork({{1, 2, 2.0}, {1, 2, 1.0}});
  const AssignmentResult allOn = assign(flat, zones, {{0, 1}}, {5.0});
  EXPECT_EQ(allOn.linkVolumes, (std::vector<double>{0.0, 5.0}));
}

TEST(Equilibrium, DiagonalUnreachableAndEmptyPairsGetTheirDue) {
  // 1 -> 2 -> 3 and nothing back; zones 1, 2 and 3 junctions.
  const RoadNetwork network = makeNetwork({{1, 2, 1.0}, {2, 3, 1.0}});
  const ZoneSet zones = makeZones(network, {1, 2, 3}, true);
  const std::vector<ZonePair> pairs{{0, 0}, {0, 2}, {2, 0}, {1, 2}};
  const AssignmentResult result = assign(network, zones, pairs, {4.0, 5.0, 6.0, 0.0});
  EXPECT_EQ(result.diagonalTrips, 4.0);
  EXPECT_EQ(result.unreachableTrips, 6.0);
  EXPECT_EQ(result.unreachablePairs, (std::vector<int>{2}));
  EXPECT_EQ(result.linkVolumes, (std::vector<double>{5.0, 5.0}));
  const RouteSet& routes = result.routes;
  EXPECT_EQ(routes.firstRoute, (std::vector<std::int64_t>{0, 0, 1, 1, 2}));
  // The pair of demand 0 has its shortest route, share 1.
  EXPECT_EQ(routes.routeLinks[routes.firstLink[1]], 1);
  EXPECT_EQ(routes.shares[1], 1.0);
  // As centroids, zone 2 cannot be passed through: 1 to 3 is unreachable.
  const ZoneSet centroids = makeZones(network, {1, 2, 3}, false);
  EXPECT_EQ(assign(network, centroids, pairs, {4.0, 5.0, 6.0, 0.0}).unreachableTrips, 11.0);
}

TEST(Equilibrium, SameBitsOnOneTwoAndThreeThreads) {
  const RoadNetwork network = testing::randomNetwork(60, 180, 7);
  const ZoneSet zones = makeZones(network, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, false);
  std::vector<ZonePair> pairs;
  std::vector<double> demand;
  for (int o = 0; o < zones.zoneCount(); ++o) {
    for (int d = 0; d < zones.zoneCount(); ++d) {
      pairs.push_back({o, d});
      demand.push_back(10.0 + 7.0 * ((o * 13 + d * 5) % 11));
    }
  }
  const AssignmentResult one = assign(network, zones, pairs, demand, 1e-8, 60);
  EXPECT_LT(one.iterations.back().gap, 1e-4);
  for (const int members : {2, 3}) {
    ThreadTeam team(members, 1);
    const AssignmentResult many = assign(network, zones, pairs, demand, 1e-8, 60, &team);
    EXPECT_EQ(one.linkVolumes, many.linkVolumes);
    EXPECT_EQ(one.routes.routeLinks, many.routes.routeLinks);
    EXPECT_EQ(one.routes.shares, many.routes.shares);
    ASSERT_EQ(one.iterations.size(), many.iterations.size());
    for (std::size_t k = 1; k < one.iterations.size(); ++k) {
      EXPECT_EQ(one.iterations[k].gap, many.iterations[k].gap);
    }
  }
  // Every pair's volumes add up to its demand over its routes.
  std::vector<double> loaded;
  loadPairs(one.routes, demand, loaded, nullptr);
  double diagonal = 0.0;
  for (std::size_t p = 0; p < pairs.size(); ++p) {
    if (pairs[p].origin == pairs[p].destination) diagonal += demand[p];
  }
  EXPECT_EQ(one.diagonalTrips, diagonal);
  for (int a = 0; a < network.linkCount(); ++a) {
    EXPECT_NEAR(loaded[a], one.linkVolumes[a], 1e-9 * (1.0 + one.linkVolumes[a]));
  }
}

}  // namespace
}  // namespace veldmark
