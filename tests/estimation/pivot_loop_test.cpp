// The column-generation pivot loop on networks small enough to follow every
// pass by hand, on the fast and on the reference kernels alike. Zones are
// numbered in node-list order; below, "zone a" means ZoneIndex a and a link
// is written with its file's node numbers. kLogOfZero is written Z: a pair
// without flow costs Z, so a path for it prices at about Z and enters at once.
#include "estimation/pivot_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "estimation/estimation_harness.h"
#include "estimation/kernels.h"
#include "estimation/link_prices.h"
#include "numeric/lu_determinant.h"

namespace veldmark {
namespace {

using testing::bits;
using testing::Entry;
using testing::expectTable;
using testing::FlowLink;
using testing::kernelsName;

// Runs one pivot loop from the link basis; returns its console text.
std::string pivotFromLinkBasis(testing::Estimation& e) {
  testing::setLinkBasis(e);
  e.console.str("");
  runPivotLoop(e.workspace, e.network, e.console);
  return e.console.str();
}

// Column j of the basis matrix holds exactly the links in `links`.
void expectColumn(const EstimationWorkspace& w, int j, const std::vector<int>& links) {
  for (int k = 0; k < w.linkCount; ++k) {
    const bool on = std::find(links.begin(), links.end(), k) != links.end();
    EXPECT_EQ(bits(w.BasisMatrix[k][j]), bits(on ? 1.0 : 0.0)) << "column " << j << " link " << k;
  }
}

void expectBasis(const EstimationWorkspace& w, const std::vector<Entry>& expected) {
  ASSERT_EQ(static_cast<int>(expected.size()), w.linkCount);
  for (std::size_t j = 0; j < expected.size(); ++j) {
    EXPECT_EQ(w.Basis[j].origin, expected[j].origin) << "position " << j;
    EXPECT_EQ(w.Basis[j].destination, expected[j].destination) << "position " << j;
    EXPECT_EQ(bits(w.BasicValues[j]), bits(expected[j].value)) << "position " << j;
  }
}

// Links 1->2 (30), 2->1 (20), 2->3 (50), 3->2 (40): zones 0, 1, 2 = nodes
// 1, 2, 3. The first pass step by step: identity inverse, duals = basic
// costs, prices = minus the cost of each link's own pair; these close
// negative cycles, so all four become 0.01. Pairs (0,2) and (2,0) then both
// price Z + 0.02 on two-link paths; the first in row-major order enters.
TEST(PivotLoop, FirstPassStepByStepAndTheFirstOfTwoEqualPairsEnters) {
  const std::vector<FlowLink> tri = {{1, 2, 30}, {2, 1, 20}, {2, 3, 50}, {3, 2, 40}};
  for (const bool reference : {false, true}) {
    SCOPED_TRACE(kernelsName(reference));
    auto e = testing::startEstimation(tri, reference);
    testing::setLinkBasis(*e);
    EstimationWorkspace& w = e->workspace;
    kernels::invertBasis(w);
    EXPECT_TRUE(kernels::checkInverse(w));
    kernels::computeLinkPrices(w);
    const double own[] = {std::log(30.0), std::log(20.0), std::log(50.0), std::log(40.0)};
    for (int d = 0; d < 4; ++d) {
      for (int k = 0; k < 4; ++k) EXPECT_EQ(bits(w.BasisInverse[d][k]), bits(d == k ? 1.0 : 0.0));
      EXPECT_EQ(bits(w.DualValues[d]), bits(own[d])) << "link " << d;
      EXPECT_EQ(bits(w.LinkPrice[d]), bits(-own[d])) << "link " << d;
    }
    ASSERT_TRUE(kernels::hasNegativeCycle(w, e->network));
    floorNegativePrices(w);
    prepareShortestPaths(w, e->network);
    kernels::allPairsShortestPaths(w);
    EXPECT_EQ(bits(w.PathCostMatrix[0][2]), bits(kFlowFloor + kFlowFloor));
    EXPECT_EQ(bits(w.PathCostMatrix[2][0]), bits(kFlowFloor + kFlowFloor));
    const PricingResult pricing = kernels::priceColumns(w, e->network);
    EXPECT_EQ(bits(pricing.BestReducedCost), bits(kLogOfZero + (kFlowFloor + kFlowFloor)));
    EXPECT_EQ(pricing.EnteringPair.origin, 0);
    EXPECT_EQ(pricing.EnteringPair.destination, 2);
  }
}

// The same network to the end of the programme. Pass 1: (0,2) enters on
// links {0,2}, theta = min(30, 50) = 30, link 0's position leaves. Pass 2:
// the basic cost Z of (0,2) prices link 0 at about -Z; (2,0) enters on
// links {3,1} with theta = min(20, 40) = 20, link 1's position leaves.
// Pass 3: every pair prices at least 0. The basis then reproduces every
// observed flow along its paths: 30 on link 0, 30 + 20 on link 2, 20 on
// link 1, 20 + 20 on link 3.
TEST(PivotLoop, ThreeZonesPivotOntoTwoLinkPathsThatReproduceTheFlows) {
  const std::vector<FlowLink> tri = {{1, 2, 30}, {2, 1, 20}, {2, 3, 50}, {3, 2, 40}};
  for (const bool reference : {false, true}) {
    SCOPED_TRACE(kernelsName(reference));
    auto e = testing::startEstimation(tri, reference);
    EXPECT_EQ(pivotFromLinkBasis(*e), "...");
    const EstimationWorkspace& w = e->workspace;
    expectBasis(w, {{0, 2, 30}, {2, 0, 20}, {1, 2, 20}, {2, 1, 20}});
    expectColumn(w, 0, {0, 2});
    expectColumn(w, 1, {1, 3});
    expectColumn(w, 2, {2});
    expectColumn(w, 3, {3});
    for (int link = 0; link < 4; ++link) {
      double carried = 0.0;
      for (int j = 0; j < 4; ++j) carried += w.BasisMatrix[link][j] * w.BasicValues[j];
      EXPECT_EQ(carried, e->network.records[link].observedFlow) << "link " << link;
    }
    expectTable(w.TripTable, 3, {{0, 2, 30}, {1, 2, 20}, {2, 0, 20}, {2, 1, 20}});
  }
}

// Links 1->2 (3), 2->3 (3), 2->3 (5), 4->5 (2), 5->6 (2): zones 1, 2, 4, 5
// are 0..3, nodes 3 and 6 are zones 4 and 5. Links 1 and 2 are parallel:
// prices take the later one (-ln 5), paths record the earlier one.
// Pass 1: (0,4) at Z - ln 3 - ln 5 beats (2,5) at Z - 2 ln 2 and enters on
// links {0,1}; theta = 3; positions 0 and 1 tie at 0 and the later leaves.
// Pass 2: (0,4) still prices at Z - ln 15 through link 2's price, but its
// traced column {0,1} is basic column 1, so it is passed over and (2,5)
// enters; theta = 2 and position 4 leaves. Pass 3: nothing below zero that
// is not a basic column. Taking the duplicate would pivot it in again and
// again, up to the cap of 500 passes.
TEST(PivotLoop, DuplicateOfABasicColumnIsPassedOverForTheNextBest) {
  const std::vector<FlowLink> links = {{1, 2, 3}, {2, 3, 3}, {2, 3, 5}, {4, 5, 2}, {5, 6, 2}};
  for (const bool reference : {false, true}) {
    SCOPED_TRACE(kernelsName(reference));
    auto e = testing::startEstimation(links, reference);
    EXPECT_EQ(pivotFromLinkBasis(*e), "...");
    const EstimationWorkspace& w = e->workspace;
    expectBasis(w, {{0, 1, 0}, {0, 4, 3}, {1, 4, 5}, {2, 3, 0}, {2, 5, 2}});
    expectColumn(w, 1, {0, 1});
    expectColumn(w, 4, {3, 4});
    expectTable(w.TripTable, 6, {{0, 4, 3}, {1, 4, 5}, {2, 5, 2}});
  }
}

// The chain 1->2->3->4 with 5 on every link. Pass 1: (0,3) enters on all
// three links with theta = 5; all three basic values fall to 0 and the
// last position leaves. Pass 2: (0,2) enters on links {0,1}; rows 0 and 1
// both block with 0 / 1, so theta = 0: a valid step that brings (0,2) in
// at value 0 in place of position 1 (the later of the two zeros). Pass 3
// prices only basic columns below zero.
TEST(PivotLoop, TiesLeaveFromTheLastPositionAndThetaZeroIsAStep) {
  for (const bool reference : {false, true}) {
    SCOPED_TRACE(kernelsName(reference));
    auto e = testing::startEstimation({{1, 2, 5}, {2, 3, 5}, {3, 4, 5}}, reference);
    EXPECT_EQ(pivotFromLinkBasis(*e), "...");
    const EstimationWorkspace& w = e->workspace;
    expectBasis(w, {{0, 1, 0}, {0, 2, 0}, {0, 3, 5}});
    expectColumn(w, 1, {0, 1});
    expectColumn(w, 2, {0, 1, 2});
    expectTable(w.TripTable, 4, {{0, 3, 5}});
  }
}

// Chains 1->2->3 (2 each) and 4->5->6 (3 each): zones 1, 2, 4, 5 are 0..3,
// nodes 3 and 6 zones 4 and 5. Pass 1: (2,5) enters (Z - 2 ln 3 beats
// Z - 2 ln 2), positions 2 and 3 fall to 0 and position 3 leaves; position
// 2 stays basic at 0. Pass 2: (0,4) enters on links {0,1} with theta = 2;
// positions 0, 1 and 2 are then 0 and position 2 leaves although the
// entering column has no part in its row: the new basis matrix has column
// 2 = column 0 + column 1, its determinant is 0, and the loop ends there
// with the table of that pivot (two dots, no third pass).
TEST(PivotLoop, SingularBasisAfterAPivotEndsTheLoop) {
  const std::vector<FlowLink> links = {{1, 2, 2}, {2, 3, 2}, {4, 5, 3}, {5, 6, 3}};
  for (const bool reference : {false, true}) {
    SCOPED_TRACE(kernelsName(reference));
    auto e = testing::startEstimation(links, reference);
    EXPECT_EQ(pivotFromLinkBasis(*e), "..");
    const EstimationWorkspace& w = e->workspace;
    expectBasis(w, {{0, 1, 0}, {1, 4, 0}, {0, 4, 2}, {2, 5, 3}});
    expectColumn(w, 2, {0, 1});
    expectColumn(w, 3, {2, 3});
    EXPECT_EQ(luDeterminant(w.BasisMatrix, 4), 0.0);
    expectTable(w.TripTable, 6, {{0, 4, 2}, {2, 5, 3}});
  }
}

}  // namespace
}  // namespace veldmark
