// The column-generation pivot loop on networks small enough to follow every
// pass by hand, on the fast and on the reference kernels alike. "Zone a" is
// ZoneIndex a (node-list order); links are written with their node numbers.
// A pair without flow costs Z = kLogOfZero, so a path for it enters at once.
#include "estimation/linearised/pivot_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "estimation/linearised/estimation_harness.h"
#include "estimation/linearised/kernel_choice.h"
#include "estimation/linearised/limits.h"
#include "estimation/linearised/link_prices.h"
#include "numeric/lu_determinant.h"

namespace veldmark {
namespace {

using testing::bits;
using testing::FlowLink;

const std::vector<FlowLink> kThreeZones = {{1, 2, 30}, {2, 1, 20}, {2, 3, 50}, {3, 2, 40}};

// Zones 0, 1, 2 are nodes 1, 2, 3. The first pass: identity inverse, duals =
// basic costs, prices = minus the cost of each link's own pair; these close
// negative cycles, so all four become 0.01. Pairs (0,2) and (2,0) then both
// price Z + 0.02 on two-link paths; the first in row-major order enters.
TEST(PivotLoop, FirstPassStepByStepAndTheFirstOfTwoEqualPairsEnters) {
  for (const bool reference : {false, true}) {
    SCOPED_TRACE(reference ? "reference" : "fast");
    auto e = testing::startEstimation(kThreeZones, reference);
    resetToLinkBasis(e->workspace, e->network);
    EstimationWorkspace& w = e->workspace;
    chosen::invertBasis(w);
    EXPECT_TRUE(chosen::checkInverse(w));
    chosen::computeLinkPrices(w);
    const double own[] = {std::log(30.0), std::log(20.0), std::log(50.0), std::log(40.0)};
    for (int d = 0; d < 4; ++d) {
      for (int k = 0; k < 4; ++k) EXPECT_EQ(bits(w.BasisInverse[d][k]), bits(d == k ? 1.0 : 0.0));
      EXPECT_EQ(bits(w.DualValues[d]), bits(own[d])) << "link " << d;
      EXPECT_EQ(bits(w.LinkPrice[d]), bits(-own[d])) << "link " << d;
    }
    ASSERT_TRUE(chosen::hasNegativeCycle(w, e->network));
    floorNegativePrices(w);
    prepareShortestPaths(w, e->network);
    chosen::allPairsShortestPaths(w);
    EXPECT_EQ(bits(w.PathCostMatrix[0][2]), bits(kFlowFloor + kFlowFloor));
    EXPECT_EQ(bits(w.PathCostMatrix[2][0]), bits(kFlowFloor + kFlowFloor));
    const PricingResult pricing = chosen::priceColumns(w, e->network);
    EXPECT_EQ(bits(pricing.BestReducedCost), bits(kLogOfZero + (kFlowFloor + kFlowFloor)));
    EXPECT_EQ(pricing.EnteringPair.origin, 0);
    EXPECT_EQ(pricing.EnteringPair.destination, 2);
  }
}

struct Position {
  OdPair pair;
  double value;
  std::vector<int> links;  // the links on its column of the basis matrix
};

struct PivotCase {
  const char* name;
  std::vector<FlowLink> links;
  std::string dots;
  std::vector<Position> basis;
  bool singular = false;
};

const PivotCase kCases[] = {
    // Pass 1: (0,2) enters on links {0,2}, theta = min(30, 50), link 0's
    // position leaves. Pass 2: (0,2)'s basic cost Z prices link 0 at about -Z;
    // (2,0) enters on links {3,1}, theta = 20, link 1's position leaves.
    // Pass 3: nothing prices below 0.
    {"three zones pivot onto two-link paths",
     kThreeZones,
     "...",
     {{{0, 2}, 30, {0, 2}}, {{2, 0}, 20, {1, 3}}, {{1, 2}, 20, {2}}, {{2, 1}, 20, {3}}}},
    // Zones 0..3 are nodes 1, 2, 4, 5, then 3 and 6. Links 1 and 2 are
    // parallel: prices take the later (-ln 5), paths the earlier. Pass 1:
    // (0,4) at Z - ln 15 beats (2,5) and enters on links {0,1}; theta = 3,
    // positions 0 and 1 tie at 0 and the later leaves. Pass 2: (0,4) still
    // prices lowest, but its column is basic column 1, so it is passed over
    // and (2,5) enters. Taking the duplicate would loop to the pass cap.
    {"a duplicate of a basic column is passed over",
     {{1, 2, 3}, {2, 3, 3}, {2, 3, 5}, {4, 5, 2}, {5, 6, 2}},
     "...",
     {{{0, 1}, 0, {0}},
      {{0, 4}, 3, {0, 1}},
      {{1, 4}, 5, {2}},
      {{2, 3}, 0, {3}},
      {{2, 5}, 2, {3, 4}}}},
    // Pass 1: (0,3) enters on all three links with theta = 5; all three
    // values fall to 0 and the last tied position leaves. Pass 2: (0,2)
    // enters on links {0,1} with theta = 0 in place of position 1.
    {"ties leave from the last position and theta 0 is a step",
     {{1, 2, 5}, {2, 3, 5}, {3, 4, 5}},
     "...",
     {{{0, 1}, 0, {0}}, {{0, 2}, 0, {0, 1}}, {{0, 3}, 5, {0, 1, 2}}}},
    // Zones 0..3 are nodes 1, 2, 4, 5, then 3 and 6. Pass 1: (2,5) enters and
    // position 3 leaves, position 2 stays at 0. Pass 2: (0,4) enters with
    // theta = 2; positions 0, 1, 2 are then 0 and position 2 leaves, making
    // column 2 = column 0 + column 1: the loop ends on the singular basis.
    {"a singular basis after a pivot ends the loop",
     {{1, 2, 2}, {2, 3, 2}, {4, 5, 3}, {5, 6, 3}},
     "..",
     {{{0, 1}, 0, {0}}, {{1, 4}, 0, {1}}, {{0, 4}, 2, {0, 1}}, {{2, 5}, 3, {2, 3}}},
     true},
};

// The basis after the loop, every position's column, the trip table (each
// pair's basic value), and the observed flow of every link carried again.
TEST(PivotLoop, HandTracedNetworksEndOnTheTracedBasis) {
  for (const PivotCase& c : kCases) {
    for (const bool reference : {false, true}) {
      SCOPED_TRACE(::testing::Message() << c.name << (reference ? ", reference" : ", fast"));
      auto e = testing::startEstimation(c.links, reference);
      resetToLinkBasis(e->workspace, e->network);
      e->console.str("");
      runPivotLoop(e->workspace, e->network, e->console);
      EXPECT_EQ(e->console.str(), c.dots);
      const EstimationWorkspace& w = e->workspace;
      const int l = w.linkCount, n = w.zoneCount;
      ASSERT_EQ(static_cast<int>(c.basis.size()), l);
      std::vector<testing::Entry> table;
      std::vector<double> carried(l, 0.0);
      for (int j = 0; j < l; ++j) {
        const Position& p = c.basis[j];
        EXPECT_EQ(w.Basis[j].origin, p.pair.origin) << "position " << j;
        EXPECT_EQ(w.Basis[j].destination, p.pair.destination) << "position " << j;
        EXPECT_EQ(bits(w.BasicValues[j]), bits(p.value)) << "position " << j;
        if (p.value != 0) table.push_back({p.pair.origin, p.pair.destination, p.value});
        for (int k = 0; k < l; ++k) {
          const bool on = std::find(p.links.begin(), p.links.end(), k) != p.links.end();
          EXPECT_EQ(bits(w.BasisMatrix[k][j]), bits(on ? 1.0 : 0.0))
              << "column " << j << " link " << k;
          carried[k] += w.BasisMatrix[k][j] * w.BasicValues[j];
        }
      }
      testing::expectTable(w.TripTable, n, table);
      for (int k = 0; k < l; ++k) EXPECT_EQ(carried[k], e->network.records[k].observedFlow) << k;
      EXPECT_EQ(luDeterminant(w.BasisMatrix, l) == 0.0, c.singular);
    }
  }
}

}  // namespace
}  // namespace veldmark
