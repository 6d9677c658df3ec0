// Tests of detectNegativeCycle and allPairsShortestPaths: hand-traced cases
// for the ordering, strictness and kUnreachable rules, and a brute-force
// comparison on small random graphs.
#include "numeric/shortest_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "numeric/negative_cycle.h"

namespace veldmark {
namespace {

constexpr double kU = kUnreachable;

std::uint64_t bits(double value) {
  return std::bit_cast<std::uint64_t>(value);
}

struct Link {
  ZoneIndex from;
  ZoneIndex to;
  double cost;
};

struct CycleCase {
  const char* name;
  int zoneCount;
  std::vector<Link> links;
  bool expected;
  std::vector<double> expectedLabels;  // after the N passes
};

TEST(DetectNegativeCycle, HandTracedCases) {
  const CycleCase cases[] = {
      {"no links", 3, {}, false, {0, kU, kU}},
      {"chain", 3, {{0, 1, 2}, {1, 2, 3}}, false, {0, 2, 5}},
      // Listed head first: the second pass carries the label on.
      {"chain listed backwards", 3, {{1, 2, 3}, {0, 1, 2}}, false, {0, 2, 5}},
      {"parallel links", 2, {{0, 1, 5}, {0, 1, 3}}, false, {0, 3}},
      {"zero self-link", 1, {{0, 0, 0}}, false, {0}},
      {"negative self-link", 1, {{0, 0, -1}}, true, {-1}},
      // Two passes, each lowering kUnreachable by one (exact at this magnitude).
      {"negative self-link, unreached", 2, {{1, 1, -1}}, true, {0, kU - 2}},
      {"zero-sum cycle", 2, {{0, 1, 1}, {1, 0, -1}}, false, {0, 1}},
      {"cycle zone 0 cannot reach", 3, {{1, 2, 1}, {2, 1, -2}}, true, {0, kU - 4, kU - 2}},
      // kUnreachable - 0.01 rounds back to kUnreachable, which is not less.
      {"tiny cost out of unreached zone", 3, {{1, 2, -0.01}}, false, {0, kU, kU}},
      {"NaN cost", 2, {{0, 1, std::numeric_limits<double>::quiet_NaN()}}, false, {0, kU}},
  };
  for (const CycleCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<LinkZoneEnds> ends;
    std::vector<double> costs;
    for (const Link& link : c.links) {
      ends.push_back({link.from, link.to});
      costs.push_back(link.cost);
    }
    std::vector<double> labels(c.zoneCount, kU);
    labels[0] = 0.0;
    EXPECT_EQ(detectNegativeCycle(static_cast<int>(ends.size()), ends.data(), costs.data(),
                                  c.zoneCount, labels.data()),
              c.expected);
    for (int z = 0; z < c.zoneCount; ++z) {
      EXPECT_EQ(bits(labels[z]), bits(c.expectedLabels[z])) << "zone " << z;
    }
  }
}

// D and P as the pivot loop prepares them: 0 and i on the diagonal,
// kUnreachable elsewhere, then each link in order (the last parallel one
// wins). P[j][k] of an unlinked pair holds j, as the workspace leaves it.
struct PathTables {
  DenseMatrix d;
  ZoneIndexMatrix p;
};

PathTables prepare(int n, const std::vector<Link>& links) {
  PathTables t;
  allocateSquareMatrix(t.d, n);
  allocateSquareMatrix(t.p, n);
  for (int j = 0; j < n; ++j) {
    for (int k = 0; k < n; ++k) {
      t.d[j][k] = j == k ? 0.0 : kU;
      t.p[j][k] = j;
    }
  }
  for (const Link& link : links) {
    t.d[link.from][link.to] = link.cost;
    t.p[link.from][link.to] = link.from;
  }
  return t;
}

void expectTables(const PathTables& t, const std::vector<std::vector<double>>& d,
                  const std::vector<std::vector<ZoneIndex>>& p) {
  const int n = static_cast<int>(d.size());
  for (int j = 0; j < n; ++j) {
    for (int k = 0; k < n; ++k) {
      EXPECT_EQ(bits(t.d[j][k]), bits(d[j][k])) << "D[" << j << "][" << k << "]";
      EXPECT_EQ(t.p[j][k], p[j][k]) << "P[" << j << "][" << k << "]";
    }
  }
}

TEST(AllPairsShortestPaths, HandTracedCases) {
  {
    SCOPED_TRACE("two-link path beats the direct link");
    PathTables t = prepare(3, {{0, 1, 1}, {1, 2, 1}, {0, 2, 5}});
    allPairsShortestPaths(3, t.p, t.d);
    expectTables(t, {{0, 1, 2}, {kU, 0, 1}, {kU, kU, 0}}, {{0, 0, 1}, {1, 1, 1}, {2, 2, 2}});
  }
  {
    SCOPED_TRACE("equal costs keep the lower intermediate");
    PathTables t = prepare(4, {{0, 1, 1}, {1, 3, 2}, {0, 2, 2}, {2, 3, 1}});
    allPairsShortestPaths(4, t.p, t.d);
    EXPECT_EQ(bits(t.d[0][3]), bits(3.0));
    EXPECT_EQ(t.p[0][3], 1);
  }
  {
    // Iteration 0 first lowers D[0][0] to -2 and must read that value for
    // D[0][1]; the -2 also pulls D[1][0] down from kUnreachable, copying
    // P[0][0] into P[1][0]. All iterations complete.
    SCOPED_TRACE("negative self-link");
    PathTables t = prepare(2, {{0, 0, -1}, {0, 1, 1}});
    allPairsShortestPaths(2, t.p, t.d);
    expectTables(t, {{-2, -1}, {kU - 2, 0}}, {{0, 0}, {0, 1}});
  }
  {
    SCOPED_TRACE("no zones");
    PathTables t = prepare(2, {{0, 1, -3}, {1, 0, -3}});
    allPairsShortestPaths(0, t.p, t.d);
    expectTables(t, {{0, -3}, {-3, 0}}, {{0, 0}, {1, 1}});
  }
}

// Cheapest simple path by exhaustive search over a matrix of direct costs
// (negative means no link); kUnreachable when there is none.
double bruteForceCost(const std::vector<std::vector<int>>& cost, int from, int to) {
  const int n = static_cast<int>(cost.size());
  if (from == to) return 0.0;
  double best = kU;
  std::vector<bool> visited(n, false);
  std::function<void(int, double)> walk = [&](int zone, double sofar) {
    if (zone == to) {
      best = std::min(best, sofar);
      return;
    }
    visited[zone] = true;
    for (int next = 0; next < n; ++next) {
      if (!visited[next] && cost[zone][next] >= 0) walk(next, sofar + cost[zone][next]);
    }
    visited[zone] = false;
  };
  walk(from, 0.0);
  return best;
}

TEST(AllPairsShortestPaths, MatchesBruteForceOnNonNegativeCosts) {
  std::mt19937 random(7);
  for (int graph = 0; graph < 300; ++graph) {
    const int n = 1 + static_cast<int>(random() % 7);
    std::vector<std::vector<int>> cost(n, std::vector<int>(n, -1));
    std::vector<Link> links;
    for (int j = 0; j < n; ++j) {
      for (int k = 0; k < n; ++k) {
        if (j != k && random() % 5 < 2) {
          cost[j][k] = static_cast<int>(random() % 10);
          links.push_back({j, k, static_cast<double>(cost[j][k])});
        }
      }
    }
    PathTables t = prepare(n, links);
    allPairsShortestPaths(n, t.p, t.d);
    for (int j = 0; j < n; ++j) {
      for (int k = 0; k < n; ++k) {
        SCOPED_TRACE(::testing::Message() << "graph " << graph << " pair " << j << "," << k);
        const double expected = bruteForceCost(cost, j, k);
        ASSERT_EQ(t.d[j][k], expected);
        if (j == k || expected == kU) continue;
        // The predecessors, read backwards from k, spell a path of that cost.
        double walked = 0.0;
        int zone = k;
        for (int steps = 0; zone != j && steps < n; ++steps) {
          const int before = t.p[j][zone];
          ASSERT_GE(cost[before][zone], 0) << "no link " << before << "->" << zone;
          walked += cost[before][zone];
          zone = before;
        }
        EXPECT_EQ(zone, j);
        EXPECT_EQ(walked, expected);
      }
    }
  }
}

}  // namespace
}  // namespace veldmark
