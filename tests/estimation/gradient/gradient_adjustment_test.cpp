// The gradient adjustment on the closed forms of the notes on estimation
// (section 6): the chain's one step, the step bound that keeps cells from
// turning negative, the least-squares limit on two routes, and a prior that
// already meets the counts.
#include "estimation/gradient/gradient_adjustment.h"

#include <gtest/gtest.h>

#include "estimation/balancing/small_problems.h"

namespace veldmark {
namespace {

struct Adjusted {
  GradientTrace trace;
  std::vector<double> table, volumes;
};

Adjusted adjust(const RouteSet& routes, std::vector<double> prior,
                const std::vector<double>& counts, GradientSettings settings = {},
                ThreadTeam* team = nullptr) {
  Adjusted adjusted;
  adjusted.table = std::move(prior);
  adjusted.trace =
      adjustByGradient(routes, counts, {}, settings, adjusted.table, adjusted.volumes, team);
  return adjusted;
}

// Chain A→B→C, prior 1 on AB, AC, BC, counts 6 and 6: V = (2, 2),
// g = Pᵀ(V − v) = (−4, −8, −4), V' = (12, 12), s* = 1/3 (no positive g, no
// bound): (7/3, 11/3, 7/3), which meets both counts; a run then stops, as
// the gradient is 0.
TEST(GradientAdjustment, ChainOneStepMeetsBothCounts) {
  GradientSettings one;
  one.maxIterations = 1;
  const Adjusted step = adjust(testing::chainRoutes(), {1.0, 1.0, 1.0}, {6.0, 6.0}, one);
  EXPECT_EQ(step.trace.iterations, 1);
  EXPECT_EQ(step.trace.boundedSteps, 0);
  EXPECT_NEAR(step.table[0], 7.0 / 3.0, 1e-12);
  EXPECT_NEAR(step.table[1], 11.0 / 3.0, 1e-12);
  EXPECT_NEAR(step.table[2], 7.0 / 3.0, 1e-12);
  EXPECT_NEAR(step.volumes[0], 6.0, 1e-12);
  const Adjusted run = adjust(testing::chainRoutes(), {1.0, 1.0, 1.0}, {6.0, 6.0});
  EXPECT_EQ(run.trace.stop, GradientStop::kZeroGradient);
  EXPECT_EQ(run.trace.iterations, 1);
}

// P = [[1, 1], [1, 0]], prior (1, 1), counts (0, 0): g = (3, 2), s* = 13/34
// is above the bound 1 / max g = 1/3, so one step gives (0, 1/3), and the
// zero cell never leaves zero.
TEST(GradientAdjustment, StepBoundKeepsCellsFromTurningNegative) {
  const RouteSet routes = testing::handRoutes(2, {{{{0, 1}}}, {{{0}}}});
  GradientSettings one;
  one.maxIterations = 1;
  const Adjusted step = adjust(routes, {1.0, 1.0}, {0.0, 0.0}, one);
  EXPECT_EQ(step.trace.boundedSteps, 1);
  EXPECT_EQ(step.table[0], 0.0);
  EXPECT_NEAR(step.table[1], 1.0 / 3.0, 1e-15);
  const Adjusted run = adjust(routes, {1.0, 1.0}, {0.0, 0.0});
  EXPECT_EQ(run.table[0], 0.0);
  EXPECT_GE(run.table[1], 0.0);
  EXPECT_LT(run.table[1], 1.0 / 3.0);
}

// One pair on two routes split 50/50, counts 60 and 40, prior 80: the
// unweighted least squares of ½ Σ (x/2 − v)² is x = 100; from the prior one
// exact line step reaches it.
TEST(GradientAdjustment, TwoRoutesReachTheLeastSquaresTable) {
  const Adjusted run = adjust(testing::twoRoutes(), {80.0}, {60.0, 40.0});
  EXPECT_NEAR(run.table[0], 100.0, 1e-9);
  EXPECT_NEAR(run.trace.objective, 100.0, 1e-7);  // ½ (10² + 10²)
}

// A prior that meets every count: g = 0, no step, the table unchanged.
TEST(GradientAdjustment, PriorThatMeetsTheCountsComesBackUnchanged) {
  const Adjusted run = adjust(testing::chainRoutes(), {2.0, 4.0, 2.0}, {6.0, 6.0});
  EXPECT_EQ(run.trace.iterations, 0);
  EXPECT_EQ(run.trace.stop, GradientStop::kZeroGradient);
  EXPECT_EQ(run.table, (std::vector<double>{2.0, 4.0, 2.0}));
}

// Links left out (included[c] = 0) neither pull nor push; at most
// maxIterations steps; the same bits on a team of two.
TEST(GradientAdjustment, LeftOutLinksIterationCapAndTeam) {
  const RouteSet routes = testing::chainRoutes();
  std::vector<double> table{1.0, 1.0, 1.0}, volumes;
  GradientSettings settings;
  adjustByGradient(routes, {6.0, 100.0}, {1, 0}, settings, table, volumes, nullptr);
  EXPECT_NEAR(volumes[0], 6.0, 1e-9);  // link 1's count of 100 plays no part
  settings.maxIterations = 3;
  settings.tolerance = 0.0;
  const Adjusted capped = adjust(routes, {1.0, 1.0, 1.0}, {6.0, 7.0}, settings);
  EXPECT_EQ(capped.trace.iterations, 3);
  EXPECT_EQ(capped.trace.stop, GradientStop::kIterationCap);
  ThreadTeam team(2, 1);
  EXPECT_EQ(adjust(routes, {1.0, 1.0, 1.0}, {6.0, 7.0}, settings, &team).table, capped.table);
}

}  // namespace
}  // namespace veldmark
