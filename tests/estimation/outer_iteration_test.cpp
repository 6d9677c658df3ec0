// The starting tables and whole estimations (outer iterations, line search,
// convergence measure and console trace) on networks whose outcome follows
// by hand, on the fast and on the reference kernels alike. Zones are
// numbered in node-list order; a pair without flow costs Z = kLogOfZero.
#include "estimation/outer_iteration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "estimation/estimation_harness.h"

namespace veldmark {
namespace {

using testing::bits;
using testing::expectTable;
using testing::FlowLink;
using testing::iterationText;
using testing::kernelsName;

const std::string kStartLines = "   Estimate the travel table in the abstract network\n\n";

std::string streamed(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

// Zones 1..4 are 0..3. Zero flows (also -0.0 and a pair missing from the flow
// file, which leaves 0) are floored in the records; of parallel links the
// last gives its pair's entries; a self-link sets the diagonal; a small flow
// stays; a negative flow is kept and its cost is not a number.
TEST(StartingTables, FloorZeroFlowsAndTakeTheLastOfParallelLinks) {
  const std::vector<FlowLink> links = {
      {1, 2, 5.0},  {1, 2, 0.0},    // parallel, zero last: the pair starts at 0.01
      {2, 3, 0.0},  {2, 3, 7.0},    // parallel, zero first: 7, the zero still floored
      {3, 3, 4.0},                  // self-link
      {3, 1, -0.0}, {4, 1, 0.001},  // negative zero floored, small flow kept
      {1, 4, -2.0},                 // negative: kept, its cost NaN
  };
  auto e = testing::startEstimation(links, false);
  EXPECT_EQ(e->console.str(), kStartLines);
  const double floored[] = {5.0, kFlowFloor, kFlowFloor, 7.0, 4.0, kFlowFloor, 0.001, -2.0};
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(bits(e->network.records[k].observedFlow), bits(floored[k])) << "link " << k;
  }
  const EstimationWorkspace& w = e->workspace;
  expectTable(w.TripTable, 4,
              {{0, 1, kFlowFloor},
               {1, 2, 7.0},
               {2, 2, 4.0},
               {2, 0, kFlowFloor},
               {3, 0, 0.001},
               {0, 3, -2.0}});
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      const double flow = w.TripTable[i][j];
      const double cost = flow != 0.0 ? std::log(flow) : (i == j ? 0.0 : kLogOfZero);
      if (flow < 0) {
        EXPECT_TRUE(std::isnan(w.CostTable[i][j])) << "[" << i << "][" << j << "]";
      } else {
        EXPECT_EQ(bits(w.CostTable[i][j]), bits(cost)) << "[" << i << "][" << j << "]";
      }
    }
  }
}

// The whole trace of the chain 1->2->3 with 2 on both links. Iteration 1:
// pass 1 takes (0,2) on both links (theta = 2, the later tied position
// leaves), pass 2 finds only that basic column below zero: two dots. The
// programme's table moves 2 from (0,1) and (1,2) to (0,2); at the first
// midpoint every flow is 1 and ln 1 = 0 makes the derivative exactly 0, so
// the search stops there. Average (1 + 1 + 1) / (9 - 3) = 0.5. Iteration 2:
// all costs are ln 1 = 0, every price -0.0, no pair below zero: one dot,
// average 0, which is below the tolerance.
TEST(OuterIterations, ConsoleTraceOfAWholeRunAndASearchStoppedByAZeroDerivative) {
  for (const bool reference : {false, true}) {
    SCOPED_TRACE(kernelsName(reference));
    auto e = testing::startEstimation({{1, 2, 2.0}, {2, 3, 2.0}}, reference);
    runOuterIterations(e->workspace, e->network, e->console);
    EXPECT_EQ(e->console.str(),
              kStartLines + iterationText(1, 2, "0.5") + iterationText(2, 1, "0") + "\n");
    expectTable(e->workspace.TripTable, 3, {{0, 1, 1.0}, {0, 2, 1.0}, {1, 2, 1.0}});
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) {
        const double cost = e->workspace.TripTable[i][j] > 0 ? 0.0 : (i == j ? 0.0 : kLogOfZero);
        EXPECT_EQ(bits(e->workspace.CostTable[i][j]), bits(cost));
      }
    }
  }
}

// Links 1->2 (5) and 2->1 (7). The first pass, on the identity basis: the
// duals are the basic costs ln 5 and ln 7, nothing is printed by the check;
// the prices -ln 5 and -ln 7 close a negative cycle and are floored to 0.01;
// pair (0,0) prices 0 with an all-zero column, (0,1) and (1,0) ln f + 0.01.
// No pivot: one dot, the table stays, the derivative is 0 at once, the
// average is 0, and that is the only iteration.
TEST(OuterIterations, NothingBelowZeroEndsAfterOnePassAndOneIteration) {
  for (const bool reference : {false, true}) {
    SCOPED_TRACE(kernelsName(reference));
    auto e = testing::startEstimation({{1, 2, 5.0}, {2, 1, 7.0}}, reference);
    runOuterIterations(e->workspace, e->network, e->console);
    EXPECT_EQ(e->console.str(), kStartLines + iterationText(1, 1, "0") + "\n");
    const EstimationWorkspace& w = e->workspace;
    EXPECT_EQ(bits(w.DualValues[0]), bits(std::log(5.0)));
    EXPECT_EQ(bits(w.DualValues[1]), bits(std::log(7.0)));
    EXPECT_EQ(bits(w.LinkPrice[0]), bits(kFlowFloor));
    EXPECT_EQ(bits(w.LinkPrice[1]), bits(kFlowFloor));
    expectTable(w.TripTable, 2, {{0, 1, 5.0}, {1, 0, 7.0}});
  }
}

// One zone with a self-link: its only pair's column is that basic link, so
// nothing ever enters; the sum of relative changes is 0 over N * N - N = 0
// pairs, 0 / 0 is not a number, and the loop runs all 25 iterations.
TEST(OuterIterations, SingleZoneRunsAllIterationsWithANotANumberAverage) {
  volatile double zero = 0.0;
  const std::string average = streamed(zero / zero);
  std::string expected = kStartLines;
  for (int k = 1; k <= kMaxOuterIterations; ++k) expected += iterationText(k, 1, average);
  expected += "\n";
  for (const bool reference : {false, true}) {
    SCOPED_TRACE(kernelsName(reference));
    auto e = testing::startEstimation({{8, 8, 4.0}}, reference);
    runOuterIterations(e->workspace, e->network, e->console);
    EXPECT_EQ(e->console.str(), expected);
    expectTable(e->workspace.TripTable, 1, {{0, 0, 4.0}});
  }
}

// Long double derivative of the sum of x (ln x - 1) along the segment from
// `from` to `to`, at t.
long double derivativeAlong(const std::vector<double>& from, const std::vector<double>& to,
                            long double t) {
  long double sum = 0;
  for (std::size_t p = 0; p < from.size(); ++p) {
    const long double x = from[p] + t * (static_cast<long double>(to[p]) - from[p]);
    if (x > 0) sum += std::log(x) * (static_cast<long double>(to[p]) - from[p]);
  }
  return sum;
}

// The three-zone network of the pivot loop tests. Iteration 1's programme
// table is known (30 on (0,2), 20 on (1,2), (2,0) and (2,1)); no step of the
// search finds a zero derivative, so after 20 halvings every entry lies at
// the same odd multiple k of 2^-20 of the way from the starting table
// (exactly: these flows need few bits), and the root of the derivative
// lies within 2^-20 of it. Iteration 2 finds no pair below zero.
TEST(OuterIterations, LineSearchLandsOnAnOddMultipleOfTwoToTheMinus20) {
  const std::vector<FlowLink> tri = {{1, 2, 30}, {2, 1, 20}, {2, 3, 50}, {3, 2, 40}};
  // Pairs row-major over 3 x 3.
  const std::vector<double> start = {0, 30, 0, 20, 0, 50, 0, 40, 0};
  const std::vector<double> programme = {0, 0, 30, 0, 0, 20, 20, 20, 0};
  for (const bool reference : {false, true}) {
    SCOPED_TRACE(kernelsName(reference));
    auto e = testing::startEstimation(tri, reference);
    runOuterIterations(e->workspace, e->network, e->console);
    const DenseMatrix& table = e->workspace.TripTable;

    const double k = table[0][2] / 30.0 * 0x1p20;
    ASSERT_EQ(k, std::floor(k));
    EXPECT_EQ(std::fmod(k, 2.0), 1.0) << "k = " << k;
    double changes = 0.0;
    for (int p = 0; p < 9; ++p) {
      const double x = table[p / 3][p % 3];
      EXPECT_EQ(x, start[p] + (programme[p] - start[p]) * (k / 0x1p20)) << "pair " << p;
      if (x > 0) changes += std::fabs(x - start[p]) / x;
    }
    EXPECT_LT(derivativeAlong(start, programme, (k - 1) / 0x1p20L), 0);
    EXPECT_GT(derivativeAlong(start, programme, (k + 1) / 0x1p20L), 0);

    EXPECT_EQ(e->console.str(), kStartLines + iterationText(1, 3, streamed(changes / 6)) +
                                    iterationText(2, 1, "0") + "\n");
  }
}

// A ring of five zones whose roads carry the same flow both ways: reversing
// every path maps the programme onto itself, so the estimate is symmetric.
TEST(OuterIterations, SymmetricFlowsGiveASymmetricEstimate) {
  std::vector<FlowLink> ring;
  for (int i = 1; i <= 5; ++i) {
    const int j = i % 5 + 1;
    ring.push_back({i, j, 100.0 + 10 * i});
    ring.push_back({j, i, 100.0 + 10 * i});
  }
  for (const bool reference : {false, true}) {
    SCOPED_TRACE(kernelsName(reference));
    auto e = testing::startEstimation(ring, reference);
    runOuterIterations(e->workspace, e->network, e->console);
    const DenseMatrix& table = e->workspace.TripTable;
    for (int i = 0; i < 5; ++i) {
      for (int j = 0; j < 5; ++j) {
        EXPECT_GE(table[i][j], 0.0);
        EXPECT_EQ(bits(table[i][j]), bits(table[j][i])) << i << "," << j;
      }
    }
  }
}

}  // namespace
}  // namespace veldmark
