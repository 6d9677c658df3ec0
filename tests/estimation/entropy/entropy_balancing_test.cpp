// The entropy balancing's dual and its Newton–CG minimisation: the closed
// forms of the notes on estimation (section 6), the dual's gradient and
// Hessian products against finite differences on a seeded random family,
// the hard limit's failure reported as such, and the same bits on a team.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "estimation/balancing/small_problems.h"
#include "estimation/entropy/entropy_dual.h"
#include "estimation/entropy/newton_cg.h"

namespace veldmark {
namespace {

using testing::HandRoute;

constexpr double kInfinite = std::numeric_limits<double>::infinity();

// Lambert's W on (0, ∞) from ln z: the w with w + ln w = ln z (Newton's
// method from a start above the root, so that it falls monotonically).
double lambertWOfLog(double logZ) {
  double w = logZ > 1.0 ? logZ : 1.0;
  for (int k = 0; k < 100; ++k) w -= (w + std::log(w) - logZ) / (1.0 + 1.0 / w);
  return w;
}

struct Solved {
  NewtonTrace trace;
  std::vector<double> lambda, table, volumes;
};

Solved solve(const RouteSet& routes, const std::vector<double>& prior,
             const std::vector<double>& counts, const std::vector<double>& weights,
             ThreadTeam* team = nullptr) {
  Solved solved;
  solved.lambda.assign(counts.size(), 0.0);
  const EntropyProblem problem{routes, prior, counts, weights, kInfinite, team};
  solved.trace =
      minimiseDual(problem, NewtonSettings{}, solved.lambda, solved.table, solved.volumes);
  return solved;
}

// One pair on two routes (P = [0.5; 0.5]), counts 60 and 40, prior 80,
// w = κ / v: x = W(A t e^B) / A with A = Σ w p², B = Σ w p v.
TEST(EntropyBalancing, TwoRoutesMeetTheLambertWClosedForm) {
  const RouteSet routes = testing::twoRoutes();
  const std::vector<double> counts{60.0, 40.0};
  const struct {
    double kappa, expected;
  } kCases[] = {{1.0, 87.451}, {10.0, 94.410}, {100.0, 95.827}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.kappa);
    const double a = c.kappa * (0.25 / 60.0 + 0.25 / 40.0);
    const double b = c.kappa * (0.5 + 0.5);
    const double closed = lambertWOfLog(std::log(a * 80.0) + b) / a;
    const Solved solved = solve(routes, {80.0}, counts, {c.kappa / 60.0, c.kappa / 40.0});
    EXPECT_TRUE(solved.trace.converged);
    EXPECT_NEAR(solved.table[0], closed, 1e-6);
    EXPECT_NEAR(solved.table[0], c.expected, 5e-4);
    // At the minimum λ = w (V − v).
    EXPECT_NEAR(solved.lambda[0], c.kappa / 60.0 * (0.5 * closed - 60.0), 1e-6);
  }
}

// The chain A→B→C with prior 1 on AB, AC and BC and counts 6 and 6: the hard
// limit is (2, 4, 2); a large κ comes close to it.
TEST(EntropyBalancing, ChainMeetsItsCountsInTheHardLimit) {
  const RouteSet routes = testing::chainRoutes();
  const Solved hard = solve(routes, {1.0, 1.0, 1.0}, {6.0, 6.0}, {kInfinite, kInfinite});
  ASSERT_TRUE(hard.trace.converged);
  EXPECT_NEAR(hard.table[0], 2.0, 1e-6);
  EXPECT_NEAR(hard.table[1], 4.0, 1e-6);
  EXPECT_NEAR(hard.table[2], 2.0, 1e-6);
  const Solved soft = solve(routes, {1.0, 1.0, 1.0}, {6.0, 6.0}, {1e6, 1e6});
  EXPECT_NEAR(soft.table[1], 4.0, 1e-4);
}

// Counts 60 and 40 on two routes of one pair cannot both be met: the hard
// limit's multipliers run away, and the solver says it did not converge
// (within its step limit) rather than loop; a finite weight converges.
TEST(EntropyBalancing, HardLimitOnInconsistentCountsIsReportedNotLooped) {
  const RouteSet routes = testing::twoRoutes();
  const Solved hard = solve(routes, {80.0}, {60.0, 40.0}, {kInfinite, kInfinite});
  EXPECT_FALSE(hard.trace.converged);
  EXPECT_LE(hard.trace.steps, NewtonSettings{}.maxSteps);
  EXPECT_TRUE(solve(routes, {80.0}, {60.0, 40.0}, {1e3, 1e3}).trace.converged);
}

// A prior that meets every count is the minimum: λ = 0, the table unchanged.
TEST(EntropyBalancing, PriorThatMeetsTheCountsComesBackUnchanged) {
  const RouteSet routes = testing::chainRoutes();
  const Solved solved = solve(routes, {2.0, 4.0, 2.0}, {6.0, 6.0}, {10.0 / 6.0, 10.0 / 6.0});
  EXPECT_EQ(solved.trace.steps, 0);
  EXPECT_EQ(solved.table, (std::vector<double>{2.0, 4.0, 2.0}));
}

// A random route set: `pairs` pairs of 1 to 3 routes over `links` links.
RouteSet randomRoutes(std::mt19937& random, int links, int pairs) {
  std::uniform_int_distribution<int> routeCount(1, 3), link(0, links - 1), length(1, 4);
  std::uniform_real_distribution<double> weight(0.1, 1.0);
  std::vector<std::vector<HandRoute>> routes(pairs);
  for (auto& pair : routes) {
    const int count = routeCount(random);
    double total = 0.0;
    for (int r = 0; r < count; ++r) {
      HandRoute route;
      for (int k = length(random); k > 0; --k) route.links.push_back(link(random));
      route.share = weight(random);
      total += route.share;
      pair.push_back(route);
    }
    for (HandRoute& route : pair) route.share /= total;
  }
  return testing::handRoutes(links, routes);
}

// ∇D against central differences of D, and ∇²D·d against central
// differences of ∇D, on a seeded family (one link left out in each).
TEST(EntropyBalancing, DualGradientAndHessianMatchFiniteDifferences) {
  std::mt19937 random(23);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int family = 0; family < 8; ++family) {
    SCOPED_TRACE(family);
    const int links = 6, pairs = 12;
    const RouteSet routes = randomRoutes(random, links, pairs);
    std::vector<double> prior(pairs), counts(links), weights(links), lambda(links), d(links);
    for (double& t : prior) t = 1.0 + 20.0 * unit(random);
    for (int c = 0; c < links; ++c) {
      counts[c] = 50.0 * unit(random);
      weights[c] = c == 2 ? 0.0 : 0.1 + unit(random);
      lambda[c] = c == 2 ? 0.0 : unit(random) - 0.5;
      d[c] = c == 2 ? 0.0 : unit(random) - 0.5;
    }
    const EntropyProblem problem{routes, prior, counts, weights, kInfinite, nullptr};
    std::vector<double> table, along, volumes, gradient, product, scratch;
    const auto valueAt = [&](const std::vector<double>& at) {
      std::vector<double> x, s;
      dualTable(problem, at, x, s);
      return dualValue(problem, at, x, s);
    };
    const auto gradientAt = [&](const std::vector<double>& at) {
      std::vector<double> x, s, v, g;
      dualTable(problem, at, x, s);
      loadPairs(routes, x, v, nullptr);
      dualGradient(problem, at, v, g);
      return g;
    };
    dualTable(problem, lambda, table, along);
    gradient = gradientAt(lambda);
    hessianProduct(problem, table, along, d, product, scratch);
    const double h = 1e-5;
    for (int c = 0; c < links; ++c) {
      std::vector<double> up = lambda, down = lambda;
      up[c] += h;
      down[c] -= h;
      const double difference = c == 2 ? 0.0 : (valueAt(up) - valueAt(down)) / (2.0 * h);
      EXPECT_NEAR(gradient[c], difference, 1e-6 * (1.0 + std::fabs(difference))) << "link " << c;
    }
    std::vector<double> up = lambda, down = lambda;
    for (int c = 0; c < links; ++c) {
      up[c] += h * d[c];
      down[c] -= h * d[c];
    }
    const std::vector<double> gUp = gradientAt(up), gDown = gradientAt(down);
    for (int c = 0; c < links; ++c) {
      const double difference = (gUp[c] - gDown[c]) / (2.0 * h);
      EXPECT_NEAR(product[c], difference, 1e-6 * (1.0 + std::fabs(difference))) << "link " << c;
    }
  }
}

// The minimum of a random problem, from λ = 0 and from a far warm start,
// and on a team of two (products shared): the same bits on the team.
TEST(EntropyBalancing, MinimumIsTheSameFromAnyStartAndOnATeam) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const int links = 10, pairs = 5000;  // enough pairs for several product blocks
  const RouteSet routes = randomRoutes(random, links, pairs);
  std::vector<double> prior(pairs), counts(links), weights(links);
  for (double& t : prior) t = 0.5 + unit(random);
  for (int c = 0; c < links; ++c) {
    counts[c] = 2000.0 * unit(random);
    weights[c] = 10.0 / std::fmax(counts[c], 1.0);
  }
  const Solved alone = solve(routes, prior, counts, weights);
  ASSERT_TRUE(alone.trace.converged);
  ThreadTeam team(2, 1);
  const Solved shared = solve(routes, prior, counts, weights, &team);
  EXPECT_EQ(shared.table, alone.table);
  EXPECT_EQ(shared.lambda, alone.lambda);
  Solved warm;
  warm.lambda.assign(links, -50.0);  // exp(50 · ...) overflows: the start is replaced by λ = 0
  const EntropyProblem problem{routes, prior, counts, weights, kInfinite, nullptr};
  warm.trace = minimiseDual(problem, NewtonSettings{}, warm.lambda, warm.table, warm.volumes);
  ASSERT_TRUE(warm.trace.converged);
  for (int p = 0; p < pairs; p += 97) EXPECT_NEAR(warm.table[p], alone.table[p], 1e-6);
}

}  // namespace
}  // namespace veldmark
