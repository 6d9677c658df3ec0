// Shortest-path trees against Floyd–Warshall on seeded random graphs, with
// zones as centroids (never passed through) and as junctions.
#include "assignment/path_tree.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "assignment/network_fixture.h"

namespace veldmark {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// All-pairs distances whose intermediate nodes are not zones (unless
// `through`); k, i, j loops over node indices.
std::vector<std::vector<double>> floydWarshall(const RoadNetwork& network, const ZoneSet& zones,
                                               const std::vector<double>& cost, bool through) {
  const int n = network.nodeCount();
  std::vector<std::vector<double>> d(n, std::vector<double>(n, kInfinity));
  for (int i = 0; i < n; ++i) d[i][i] = 0.0;
  for (int a = 0; a < network.linkCount(); ++a) {
    d[network.from[a]][network.to[a]] = std::min(d[network.from[a]][network.to[a]], cost[a]);
  }
  for (int k = 0; k < n; ++k) {
    if (!through && zones.nodeZone[k] >= 0) continue;
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n; ++j) d[i][j] = std::min(d[i][j], d[i][k] + d[k][j]);
    }
  }
  return d;
}

TEST(PathTree, MatchesFloydWarshallWithZonesAsCentroidsAndAsJunctions) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    const RoadNetwork network = testing::randomNetwork(25, 60, seed);
    std::vector<double> cost(network.freeFlowTime);
    for (const bool through : {false, true}) {
      const ZoneSet zones = testing::makeZones(network, {1, 2, 3, 4, 5, 6}, through);
      const auto reference = floydWarshall(network, zones, cost, through);
      TreeScratch scratch;
      std::vector<std::int32_t> predecessor(network.nodeCount());
      for (const std::int32_t origin : zones.zoneNode) {
        shortestPathTree(network, zones, origin, cost.data(), predecessor.data(), scratch);
        for (int j = 0; j < network.nodeCount(); ++j) {
          ASSERT_EQ(scratch.distance[j], reference[origin][j]) << seed << " " << through;
          const std::int32_t a = predecessor[j];
          if (j == origin || scratch.distance[j] == kInfinity) {
            EXPECT_EQ(a, -1);
            continue;
          }
          // The tree's last link ends at j, continues a shortest route, and
          // leaves the origin or a node that may be passed through.
          ASSERT_GE(a, 0);
          EXPECT_EQ(network.to[a], j);
          EXPECT_EQ(scratch.distance[network.from[a]] + cost[a], scratch.distance[j]);
          const int before = network.from[a];
          EXPECT_TRUE(through || before == origin || zones.nodeZone[before] < 0);
        }
      }
    }
  }
}

// The tree by the rule its contract states, without a heap: settle the
// unsettled reached node of least (distance, index); relax its links in
// forward-star order, a predecessor changing only on a strictly shorter route.
std::vector<std::int32_t> treeByTheRule(const RoadNetwork& network, const ZoneSet& zones,
                                        int origin, const std::vector<double>& cost) {
  const int n = network.nodeCount();
  std::vector<double> d(n, kInfinity);
  std::vector<std::int32_t> predecessor(n, -1);
  std::vector<bool> settled(n, false);
  d[origin] = 0.0;
  for (;;) {
    int i = -1;
    for (int k = 0; k < n; ++k) {
      if (!settled[k] && d[k] < kInfinity && (i < 0 || d[k] < d[i])) i = k;
    }
    if (i < 0) return predecessor;
    settled[i] = true;
    if (i != origin && !zones.throughZones && zones.nodeZone[i] >= 0) continue;
    for (int k = network.firstOut[i]; k < network.firstOut[i + 1]; ++k) {
      const int a = network.outLinks[k];
      if (d[i] + cost[a] < d[network.to[a]]) {
        d[network.to[a]] = d[i] + cost[a];
        predecessor[network.to[a]] = a;
      }
    }
  }
}

TEST(PathTree, TiesAreBrokenAsTheContractSays) {
  // Costs of 0, 1 or 2 on random graphs make many routes of equal cost: the
  // heap must settle them in (distance, index) order for the same tree.
  for (unsigned seed = 1; seed <= 12; ++seed) {
    const RoadNetwork network = testing::randomNetwork(30, 90, seed);
    std::vector<double> cost(network.freeFlowTime);
    for (double& c : cost) c = std::fmod(c, 3.0);  // 0, 1 or 2
    std::vector<double> starCost;
    costsInStarOrder(network, cost.data(), starCost);
    for (const bool through : {false, true}) {
      const ZoneSet zones = testing::makeZones(network, {1, 2, 3, 4, 5, 6}, through);
      TreeScratch scratch;
      std::vector<std::int32_t> predecessor(network.nodeCount());
      for (int origin = 0; origin < network.nodeCount(); ++origin) {
        shortestPathTreeInStarOrder(network, zones, origin, starCost.data(), predecessor.data(),
                                    scratch);
        EXPECT_EQ(predecessor, treeByTheRule(network, zones, origin, cost)) << seed;
      }
    }
  }
}

TEST(PathTree, ACentroidIsReachedButNotPassedThrough) {
  // 1 -> 2 -> 3 is the only route from 1 to 3; 2 is a zone.
  const RoadNetwork network = testing::makeNetwork({{1, 2, 1.0}, {2, 3, 1.0}, {3, 1, 1.0}});
  std::vector<double> cost(network.freeFlowTime);
  TreeScratch scratch;
  std::vector<std::int32_t> predecessor(3);
  const ZoneSet centroids = testing::makeZones(network, {1, 2}, false);
  shortestPathTree(network, centroids, 0, cost.data(), predecessor.data(), scratch);
  EXPECT_EQ(scratch.distance[1], 1.0);
  EXPECT_EQ(scratch.distance[2], kInfinity);
  // From zone 2 itself its own links are used.
  shortestPathTree(network, centroids, 1, cost.data(), predecessor.data(), scratch);
  EXPECT_EQ(scratch.distance[0], 2.0);
  const ZoneSet junctions = testing::makeZones(network, {1, 2}, true);
  shortestPathTree(network, junctions, 0, cost.data(), predecessor.data(), scratch);
  EXPECT_EQ(scratch.distance[2], 2.0);
}

}  // namespace
}  // namespace veldmark
