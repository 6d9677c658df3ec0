// The starting tables and whole estimations (outer iterations, line search,
// convergence measure, console trace) on networks whose outcome follows by
// hand, on the fast and on the reference kernels alike. Zones are numbered in
// node-list order; a pair without flow costs Z = kLogOfZero.
#include "estimation/linearised/outer_iteration.h"

#include <gtest/gtest.h>

#include <cmath>

#include "estimation/linearised/estimation_harness.h"
#include "estimation/linearised/limits.h"

namespace veldmark {
namespace {

using testing::bits;
using testing::FlowLink;

const std::string kStartLines = "   Estimate the travel table in the abstract network\n\n";

std::string streamed(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

// The console's text for an iteration: header, dots, average line.
std::string iteration(int k, int dots, const std::string& average) {
  return "   ==========================================\n   Iteration: " + std::to_string(k) +
         "\n   Pivot move over the linear space " + std::string(dots, '.') +
         "\n   Average O-D flow difference: " + average + "\n";
}

// Every cost is that of its pair's flow: ln x, 0 on an empty diagonal, Z on
// another empty pair, NaN for a negative flow.
void expectCostsOfTheTable(const EstimationWorkspace& w) {
  for (int i = 0; i < w.zoneCount; ++i) {
    for (int j = 0; j < w.zoneCount; ++j) {
      const double flow = w.TripTable[i][j];
      const double cost = flow != 0.0 ? std::log(flow) : (i == j ? 0.0 : kLogOfZero);
      EXPECT_TRUE(flow < 0 ? std::isnan(w.CostTable[i][j]) : bits(w.CostTable[i][j]) == bits(cost))
          << "[" << i << "][" << j << "] costs " << w.CostTable[i][j];
    }
  }
}

// Zones 1..4 are 0..3. Zero flows (-0.0 too) are floored in the records; of
// parallel links the flows add up on their pair; a self-link sets the
// diagonal; a small flow stays; a negative one is kept; pairs without a link
// start at 0.
TEST(StartingTables, FloorZeroFlowsAndAddUpParallelLinks) {
  const std::vector<FlowLink> links = {
      {1, 2, 5.0},   {1, 2, 0.0},   // parallel, zero last: the pair starts at 5 + 0.01
      {2, 3, 0.0},   {2, 3, 7.0},   // parallel, zero first: 0.01 + 7, the zero still floored
      {3, 3, 4.0},   {3, 1, -0.0},  // self-link; negative zero floored
      {4, 1, 0.001}, {1, 4, -2.0},  // small flow kept; negative kept, its cost NaN
  };
  auto e = testing::startEstimation(links, false);
  EXPECT_EQ(e->console.str(), kStartLines);
  const double floored[] = {5.0, kFlowFloor, kFlowFloor, 7.0, 4.0, kFlowFloor, 0.001, -2.0};
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(bits(e->network.records[k].observedFlow), bits(floored[k])) << "link " << k;
  }
  testing::expectTable(e->workspace.TripTable, 4,
                       {{0, 1, (0.0 + 5.0) + kFlowFloor},
                        {1, 2, (0.0 + kFlowFloor) + 7.0},
                        {2, 2, 4.0},
                        {2, 0, kFlowFloor},
                        {3, 0, 0.001},
                        {0, 3, -2.0}});
  expectCostsOfTheTable(e->workspace);
}

// Three parallel links add up from 0.0 in file order: (0.1 + 0.2) + 0.3 is
// 0.6000000000000001, where any other order gives 0.6 (and the last link
// alone 0.3). Each link still carries its own flow, and the pair's cost is
// the logarithm of the sum.
TEST(StartingTables, ThreeParallelLinksAddUpInFileOrder) {
  auto e = testing::startEstimation({{1, 2, 0.1}, {1, 2, 0.2}, {1, 2, 0.3}, {2, 1, 0.0}}, false);
  const double sum = ((0.0 + 0.1) + 0.2) + 0.3;
  ASSERT_NE(bits(sum), bits(0.1 + (0.2 + 0.3)));
  testing::expectTable(e->workspace.TripTable, 2, {{0, 1, sum}, {1, 0, kFlowFloor}});
  EXPECT_EQ(bits(e->workspace.CostTable[0][1]), bits(std::log(sum)));
  EXPECT_EQ(e->workspace.LinkFlows, (std::vector<double>{0.1, 0.2, 0.3, kFlowFloor}));
}

// The corridor 10 - 20 - 30 with its 10 -> 20 count of 420 split into
// parallel links of 300 and 120: every trip from 10 crosses 10 -> 20, so
// T(10,20) + T(10,30) must be 420 (it was 389.1 while the starting table
// kept only the last parallel link's flow), and the link flows the run
// carries are the counts.
TEST(OuterIterations, ParallelCorridorReproducesTheSplitCount) {
  const std::vector<FlowLink> links = {
      {10, 20, 300.0}, {10, 20, 120.0}, {20, 10, 380.0}, {20, 30, 260.0}, {30, 20, 300.0}};
  auto e = testing::startEstimation(links, false);
  const EstimationRecord record = runOuterIterations(e->workspace, e->network, e->console);
  EXPECT_TRUE(record.converged);
  const DenseMatrix& t = e->workspace.TripTable;  // zones 10, 20, 30 are 0, 1, 2
  EXPECT_NEAR(t[0][1] + t[0][2], 420.0, 420.0 * 1e-9);
  EXPECT_NEAR(t[2][1] + t[2][0], 300.0, 300.0 * 1e-9);
  for (int k = 0; k < 5; ++k) {
    EXPECT_NEAR(e->workspace.LinkFlows[k], links[k].flow, links[k].flow * 1e-9) << "link " << k;
  }
}

TEST(OuterIterations, HandTracedRunsPrintTheirTraceAndEndOnTheirTable) {
  volatile double zero = 0.0;
  const std::string nan = streamed(zero / zero);
  std::string singleZone = kStartLines;
  for (int k = 1; k <= kMaxOuterIterations; ++k) singleZone += iteration(k, 1, nan);
  const struct {
    const char* name;
    std::vector<FlowLink> links;
    std::string console;
    std::vector<testing::Entry> table;
  } cases[] = {
      // Pass 1 takes (0,2) on both links (theta 2), pass 2 finds only that
      // basic column below zero. The programme moves 2 from (0,1) and (1,2) to
      // (0,2); at the first midpoint every flow is 1 and ln 1 = 0 makes the
      // derivative exactly 0, so the search stops there. Average (1+1+1) / 6.
      // Iteration 2: every cost is 0, nothing prices below zero, average 0.
      {"chain with a zero derivative",
       {{1, 2, 2.0}, {2, 3, 2.0}},
       kStartLines + iteration(1, 2, "0.5") + iteration(2, 1, "0") + "\n",
       {{0, 1, 1.0}, {0, 2, 1.0}, {1, 2, 1.0}}},
      // The prices -ln 5 and -ln 7 close a cycle and are floored to 0.01; no
      // pair prices below zero: one dot, the table stays, average 0.
      {"nothing below zero",
       {{1, 2, 5.0}, {2, 1, 7.0}},
       kStartLines + iteration(1, 1, "0") + "\n",
       {{0, 1, 5.0}, {1, 0, 7.0}}},
      // The only pair's column is the basic self-link: nothing ever enters, the
      // average is 0 / 0 (no off-diagonal pairs), and all iterations run.
      {"single zone", {{8, 8, 4.0}}, singleZone + "\n", {{0, 0, 4.0}}},
  };
  for (const auto& c : cases) {
    for (const bool reference : {false, true}) {
      SCOPED_TRACE(::testing::Message() << c.name << (reference ? ", reference" : ", fast"));
      auto e = testing::startEstimation(c.links, reference);
      runOuterIterations(e->workspace, e->network, e->console);
      EXPECT_EQ(e->console.str(), c.console);
      testing::expectTable(e->workspace.TripTable, e->workspace.zoneCount, c.table);
      expectCostsOfTheTable(e->workspace);
    }
  }
}

// Long double derivative of the sum of x (ln x - 1) along from -> to, at t.
long double derivativeAlong(const std::vector<double>& from, const std::vector<double>& to,
                            long double t) {
  long double sum = 0;
  for (std::size_t p = 0; p < from.size(); ++p) {
    const long double x = from[p] + t * (static_cast<long double>(to[p]) - from[p]);
    if (x > 0) sum += std::log(x) * (static_cast<long double>(to[p]) - from[p]);
  }
  return sum;
}

// The three-zone network of the pivot loop tests, whose first programme
// table is known. No step finds a zero derivative, so after 20 halvings every
// entry lies the same odd multiple k of 2^-20 of the way from the starting
// table, and the root of the derivative within 2^-20 of it.
TEST(OuterIterations, LineSearchLandsOnAnOddMultipleOfTwoToTheMinus20) {
  const std::vector<double> start = {0, 30, 0, 20, 0, 50, 0, 40, 0};  // row-major 3 x 3
  const std::vector<double> programme = {0, 0, 30, 0, 0, 20, 20, 20, 0};
  for (const bool reference : {false, true}) {
    SCOPED_TRACE(reference ? "reference" : "fast");
    auto e = testing::startEstimation({{1, 2, 30}, {2, 1, 20}, {2, 3, 50}, {3, 2, 40}}, reference);
    runOuterIterations(e->workspace, e->network, e->console);
    const DenseMatrix& table = e->workspace.TripTable;
    const double k = table[0][2] / 30.0 * 0x1p20;
    ASSERT_EQ(k, std::floor(k));
    EXPECT_EQ(std::fmod(k, 2.0), 1.0) << "k = " << k;
    double changes = 0.0;
    for (int p = 0; p < 9; ++p) {
      const double x = table.entries[p];
      EXPECT_EQ(x, start[p] + (programme[p] - start[p]) * (k / 0x1p20)) << "pair " << p;
      if (x > 0) changes += std::fabs(x - start[p]) / x;
    }
    EXPECT_LT(derivativeAlong(start, programme, (k - 1) / 0x1p20L), 0);
    EXPECT_GT(derivativeAlong(start, programme, (k + 1) / 0x1p20L), 0);
    EXPECT_EQ(e->console.str(),
              kStartLines + iteration(1, 3, streamed(changes / 6)) + iteration(2, 1, "0") + "\n");
  }
}

}  // namespace
}  // namespace veldmark
