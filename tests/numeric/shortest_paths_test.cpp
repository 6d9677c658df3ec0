// Bellman-Ford and Floyd-Warshall, reference and fast kernels alike, on
// hand-traced cases for the ordering, strictness and kUnreachable rules.
#include "numeric/shortest_paths.h"

#include <gtest/gtest.h>

#include <limits>

#include "numeric/fast/negative_cycle.h"
#include "numeric/fast/shortest_paths.h"
#include "numeric/negative_cycle.h"
#include "numeric/numeric_cases.h"

namespace veldmark {
namespace {

using testing::Link;
using testing::PathTables;
using testing::sameBits;

constexpr double kU = kUnreachable;

TEST(DetectNegativeCycle, HandTracedCasesOnBothKernels) {
  const struct {
    const char* name;
    int zoneCount;
    std::vector<Link> links;
    bool expected;
    std::vector<double> labels;  // after the passes, from 0 at zone 0
  } cases[] = {
      {"no links", 3, {}, false, {0, kU, kU}},
      {"chain", 3, {{0, 1, 2}, {1, 2, 3}}, false, {0, 2, 5}},
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
  for (const auto& c : cases) {
    for (const auto detect : {detectNegativeCycle, fast::detectNegativeCycle}) {
      SCOPED_TRACE(::testing::Message()
                   << c.name << (detect == detectNegativeCycle ? "" : ", fast"));
      std::vector<LinkZoneEnds> ends;
      std::vector<double> costs, labels(c.zoneCount, kU);
      for (const Link& link : c.links) {
        ends.push_back({link.from, link.to});
        costs.push_back(link.cost);
      }
      labels[0] = 0.0;
      EXPECT_EQ(detect(static_cast<int>(ends.size()), ends.data(), costs.data(), c.zoneCount,
                       labels.data()),
                c.expected);
      for (int z = 0; z < c.zoneCount; ++z) {
        EXPECT_TRUE(sameBits(labels[z], c.labels[z])) << "zone " << z << ": " << labels[z];
      }
    }
  }
}

TEST(AllPairsShortestPaths, HandTracedCasesOnBothKernels) {
  const struct {
    const char* name;
    int zoneCount;
    std::vector<Link> links;
    std::vector<double> d;     // row after row, order 2 to 4
    std::vector<ZoneIndex> p;  // P[j][k] of a pair no path joins stays j
  } cases[] = {
      {"two-link path beats the direct link",
       3,
       {{0, 1, 1}, {1, 2, 1}, {0, 2, 5}},
       {0, 1, 2, kU, 0, 1, kU, kU, 0},
       {0, 0, 1, 1, 1, 1, 2, 2, 2}},
      {"equal costs keep the lower intermediate",
       4,
       {{0, 1, 1}, {1, 3, 2}, {0, 2, 2}, {2, 3, 1}},
       {0, 1, 2, 3, kU, 0, kU, 2, kU, kU, 0, 1, kU, kU, kU, 0},
       {0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3}},
      // Intermediate 0 first lowers D[0][0] to -2 and reads that for D[0][1];
      // the -2 also pulls D[1][0] down from kUnreachable, copying P[0][0].
      {"negative self-link", 2, {{0, 0, -1}, {0, 1, 1}}, {-2, -1, kU - 2, 0}, {0, 0, 0, 1}},
      {"no zones", 0, {{0, 1, -3}, {1, 0, -3}}, {0, -3, -3, 0}, {0, 0, 1, 1}},
  };
  for (const auto& c : cases) {
    for (const bool fastKernel : {false, true}) {
      SCOPED_TRACE(::testing::Message() << c.name << (fastKernel ? ", fast" : ""));
      PathTables t(static_cast<int>(std::sqrt(c.d.size())), c.links);
      if (fastKernel) {
        fast::allPairsShortestPaths(c.zoneCount, t.p, t.d, nullptr);
      } else {
        allPairsShortestPaths(c.zoneCount, t.p, t.d);
      }
      for (std::size_t i = 0; i < c.d.size(); ++i) {
        EXPECT_TRUE(sameBits(t.d.entries[i], c.d[i])) << "D entry " << i;
        EXPECT_EQ(t.p.entries[i], c.p[i]) << "P entry " << i;
      }
    }
  }
}

}  // namespace
}  // namespace veldmark
