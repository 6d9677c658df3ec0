// The flat prior's loading from the shortest-path trees alone, against the
// route set an assignment of zero demand leaves (each pair on its shortest
// route at free-flow costs: the same trees), the one route set held where
// every road link is counted, and the large network's limit.
#include "estimation/balancing/free_flow_loading.h"

#include <gtest/gtest.h>

#include <cmath>

#include "assignment/equilibrium.h"
#include "assignment/network_fixture.h"
#include "estimation/balancing/counted_routes.h"
#include "estimation/balancing/level_routes.h"
#include "estimation/balancing/small_problems.h"

namespace veldmark {
namespace {

// Every pair of `zones` zones, the diagonal included, with 1, 2, 3, ...
// trips (small integers: every sum exact, in any order).
void everyPair(int zones, std::vector<ZonePair>& pairs, std::vector<double>& demand) {
  for (int o = 0; o < zones; ++o) {
    for (int d = 0; d < zones; ++d) {
      pairs.push_back(ZonePair{o, d});
      demand.push_back(static_cast<double>(1 + (o * zones + d) % 5));
    }
  }
}

TEST(FreeFlowLoading, MatchesTheRoutesOfAnAssignmentAtFreeFlowOnRandomNetworks) {
  ThreadTeam team(3);
  for (unsigned seed = 1; seed <= 8; ++seed) {
    const RoadNetwork network = testing::randomNetwork(30, 70, seed);
    for (const bool through : {false, true}) {
      const ZoneSet zones = testing::makeZones(network, {1, 4, 7, 10, 13, 16, 19, 22}, through);
      std::vector<ZonePair> pairs;
      std::vector<double> demand;
      everyPair(zones.zoneCount(), pairs, demand);
      // Zero demand and no iteration: each pair on its shortest route at c(0).
      AssignmentSettings settings;
      settings.maxIterations = 0;
      const AssignmentResult free =
          assignPairs(network, zones, pairs, std::vector<double>(pairs.size(), 0.0), settings);
      std::vector<double> expected, alone, shared;
      loadPairs(free.routes, demand, expected, nullptr);
      freeFlowLoading(network, zones, pairs, demand, nullptr, alone);
      freeFlowLoading(network, zones, pairs, demand, &team, shared);
      EXPECT_EQ(alone, expected) << "seed " << seed << (through ? ", through zones" : "");
      EXPECT_EQ(shared, alone) << "seed " << seed;
    }
  }
}

TEST(FreeFlowLoading, LeavesOutDiagonalAndUnreachablePairs) {
  // 1 → 2 → 3, and 4 reached by no link: pairs (1,3), (1,1), (1,4), (3,1).
  const RoadNetwork network = testing::makeNetwork({{1, 2, 1.0}, {2, 3, 1.0}, {4, 1, 1.0}});
  const ZoneSet zones = testing::makeZones(network, {1, 3, 4}, false);
  const std::vector<ZonePair> pairs{{0, 1}, {0, 0}, {0, 2}, {1, 0}};
  std::vector<double> volumes;
  freeFlowLoading(network, zones, pairs, {2.0, 5.0, 7.0, 11.0}, nullptr, volumes);
  EXPECT_EQ(volumes, (std::vector<double>{2.0, 2.0, 0.0}));
}

// Counted links named by their road links: c's road links are roads[c].
CountedLinks countedOn(const std::vector<std::vector<std::int32_t>>& roads) {
  CountedLinks counted;
  counted.firstRoad = {0};
  for (const std::vector<std::int32_t>& links : roads) {
    counted.counts.push_back(1.0);
    counted.hasCount.push_back(1);
    counted.roadLinks.insert(counted.roadLinks.end(), links.begin(), links.end());
    counted.firstRoad.push_back(static_cast<std::int32_t>(counted.roadLinks.size()));
  }
  return counted;
}

TEST(CountedRoutes, AreTheRoadRoutesOnlyWhenEveryRoadLinkIsCountedInOrder) {
  EXPECT_TRUE(countedAreRoadLinks(countedOn({{0}, {1}, {2}}), 3));
  EXPECT_FALSE(countedAreRoadLinks(countedOn({{0}, {1}}), 3));       // one not counted
  EXPECT_FALSE(countedAreRoadLinks(countedOn({{1}, {0}, {2}}), 3));  // another order
  EXPECT_FALSE(countedAreRoadLinks(countedOn({{0, 1}, {2}}), 2));    // parallel links
  EXPECT_FALSE(countedAreRoadLinks(countedOn({{0}, {1}, {1}}), 3));  // one counted twice
  // Where they are, restricting the routes gives them back bit for bit: on
  // the diamond, whose pairs split between two routes.
  const RoadNetwork network = testing::diamondNetwork();
  const ZoneSet zones = testing::makeZones(network, {1, 2}, false);
  const std::vector<ZonePair> pairs{{0, 1}, {1, 0}};
  AssignmentSettings settings;
  const RouteSet road = assignPairs(network, zones, pairs, {150.0, 150.0}, settings).routes;
  std::vector<std::vector<std::int32_t>> identity;
  for (std::int32_t a = 0; a < network.linkCount(); ++a) identity.push_back({a});
  const CountedLinks every = countedOn(identity);
  ASSERT_TRUE(countedAreRoadLinks(every, network.linkCount()));
  const RouteSet restricted =
      restrictRoutes(road, roadToCounted(every, network.linkCount()), every.count());
  EXPECT_GT(road.routeCount(), road.pairCount());  // some pair holds two routes
  EXPECT_EQ(restricted.firstRoute, road.firstRoute);
  EXPECT_EQ(restricted.firstLink, road.firstLink);
  EXPECT_EQ(restricted.routeLinks, road.routeLinks);
  EXPECT_EQ(restricted.shares, road.shares);
}

// The large network's limit, at it and one past it, and the trip-end weight
// it sets without a prior (Chicago regional is large, Chicago Sketch not).
TEST(LargeNetwork, BeginsAboveTheLimitAndDropsTheFactorsOnlyWithoutAPrior) {
  static_assert(kLargeNetwork == 2e7);
  EXPECT_FALSE(isLargeNetwork(2000, 10000));  // 2e7: at the limit
  EXPECT_TRUE(isLargeNetwork(2000, 10001));
  EXPECT_TRUE(isLargeNetwork(1790, 39018));
  EXPECT_FALSE(isLargeNetwork(387, 2950));
  EXPECT_TRUE(isLargeNetwork(46341, 46341));  // the product 2.1e9 would overflow an int
  EXPECT_EQ(defaultTripEndWeight(true, true), kDefaultTripEndWeight);
  EXPECT_EQ(defaultTripEndWeight(false, false), kDefaultTripEndWeight);
  EXPECT_TRUE(std::isinf(defaultTripEndWeight(false, true)));
}

}  // namespace
}  // namespace veldmark
