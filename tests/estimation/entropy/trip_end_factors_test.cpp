// The trip-end factor balancing against what can be known without it: the
// plain soft balancing's closed forms (ρ = +inf), the gradient against
// central differences, a prior that already fits, the whole-row change the
// factors exist for, refused inputs, and the same bits at any team size.
#include "estimation/entropy/trip_end_factors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "estimation/entropy/trip_end_objective.h"

namespace veldmark {
namespace {

// Tight enough that the tests see the minimiser, not the stopping rule.
LbfgsSettings tightSettings() {
  LbfgsSettings settings;
  settings.gradientTolerance = 1e-11;
  settings.decreaseTolerance = 0.0;
  settings.maxIterations = 5000;
  return settings;
}

// A route set whose pair p's routes are `routes[p]` (link lists) with `shares[p]`.
RouteSet routeSet(int links, const std::vector<OdPair>& pairs,
                  const std::vector<std::vector<std::vector<std::int32_t>>>& routes,
                  const std::vector<std::vector<double>>& shares) {
  RouteSet set;
  set.linkCount = links;
  set.firstRoute = {0};
  set.firstLink = {0};
  for (std::size_t p = 0; p < pairs.size(); ++p) appendPair(set, pairs[p], routes[p], shares[p]);
  return set;
}

// Every pair among `zones` zones (o ≠ d) on 1 to 3 random routes of 1 to 5
// of `links` links, with priors in [10, 200).
RouteSet randomRoutes(int zones, int links, unsigned seed, std::vector<double>& prior) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> routeCount(1, 3), length(1, 5), link(0, links - 1);
  std::uniform_real_distribution<double> weight(0.1, 1.0), trips(10.0, 200.0);
  RouteSet set;
  set.linkCount = links;
  set.firstRoute = {0};
  set.firstLink = {0};
  prior.clear();
  for (int o = 0; o < zones; ++o) {
    for (int d = 0; d < zones; ++d) {
      if (o == d) continue;
      std::vector<std::vector<std::int32_t>> paths(routeCount(random));
      std::vector<double> shares;
      double total = 0.0;
      for (auto& path : paths) {
        for (int k = length(random); k > 0; --k) path.push_back(link(random));
        shares.push_back(weight(random));
        total += shares.back();
      }
      for (double& share : shares) share /= total;
      appendPair(set, OdPair{o, d}, paths, shares);
      prior.push_back(trips(random));
    }
  }
  return set;
}

std::vector<double> countWeights(double kappa, const std::vector<double>& counts) {
  std::vector<double> weights;
  for (double v : counts) weights.push_back(kappa / std::max(v, 1.0));  // w = κ / max(v, 1)
  return weights;
}

TEST(TripEndFactors, WithoutFactorsGivesTheSoftBalancingsClosedForms) {
  // One pair on two routes split 50/50, counts 60 and 40, prior 80, w = κ / v:
  // x = W(A t e^B) / A, A = Σ w p², B = Σ w p v; W from y + ln y = ln(A t) + B.
  const RouteSet twoRoutes = routeSet(2, {{0, 1}}, {{{0}, {1}}}, {{0.5, 0.5}});
  const std::vector<double> prior{80.0}, counts{60.0, 40.0};
  const double printed[] = {87.451, 94.410, 95.827};
  int k = 0;
  for (double kappa : {1.0, 10.0, 100.0}) {
    const std::vector<double> weights = countWeights(kappa, counts);
    const double a = weights[0] * 0.25 + weights[1] * 0.25;
    const double b = weights[0] * 0.5 * 60.0 + weights[1] * 0.5 * 40.0;
    double y = std::log(a * 80.0) + b;  // Newton on y + ln y = ln(A t) + B
    for (int i = 0; i < 100; ++i) y -= (y + std::log(y) - std::log(a * 80.0) - b) / (1.0 + 1.0 / y);
    const TripEndProblem problem{twoRoutes,   prior,          2, counts, weights,
                                 kNoTripEnds, tightSettings()};
    TripEndSolution solution;
    ASSERT_TRUE(balanceWithTripEnds(problem, solution).ok());
    EXPECT_NEAR(solution.table[0], y / a, 1e-9 * y / a) << kappa;
    EXPECT_NEAR(solution.table[0], printed[k++], 5e-4) << kappa;
    EXPECT_EQ(solution.originFactors, std::vector<double>(2, 0.0));
  }

  // The chain A→B→C: pairs AB, AC, BC with prior 1 on links AB (0) and BC (1),
  // counts 6 and 6, w = κ / 6. By symmetry r_0 = r_1 = r, x_AB = x_BC = e^{−r},
  // x_AC = e^{−2r}, and r = (κ / 6)(e^{−r} + e^{−2r} − 6): r by bisection. As κ
  // grows, x tends to the hard limit (2, 4, 2).
  const RouteSet chain =
      routeSet(2, {{0, 1}, {0, 2}, {1, 2}}, {{{0}}, {{0, 1}}, {{1}}}, {{1.0}, {1.0}, {1.0}});
  const std::vector<double> ones(3, 1.0), sixes{6.0, 6.0};
  for (double kappa : {1.0, 100.0, 1e4}) {
    double low = -std::log(2.0), high = 0.0;
    for (int i = 0; i < 200; ++i) {
      const double r = 0.5 * (low + high);
      (r - kappa / 6.0 * (std::exp(-r) + std::exp(-2.0 * r) - 6.0) < 0.0 ? low : high) = r;
    }
    const double r = 0.5 * (low + high);
    const std::vector<double> weights = countWeights(kappa, sixes);
    const TripEndProblem problem{chain, ones, 3, sixes, weights, kNoTripEnds, tightSettings()};
    TripEndSolution solution;
    ASSERT_TRUE(balanceWithTripEnds(problem, solution).ok());
    const double expected[] = {std::exp(-r), std::exp(-2.0 * r), std::exp(-r)};
    for (int p = 0; p < 3; ++p) EXPECT_NEAR(solution.table[p], expected[p], 1e-8) << kappa;
    if (kappa == 1e4) {
      EXPECT_NEAR(solution.table[1], 4.0, 1e-2);
    }
  }
}

TEST(TripEndFactors, GradientMatchesCentralDifferences) {
  std::vector<double> prior;
  const RouteSet routes = randomRoutes(5, 8, 3, prior);
  std::vector<double> counts(8);
  for (int c = 0; c < 8; ++c) counts[c] = 150.0 + 40.0 * c;
  std::vector<double> weights = countWeights(3.0, counts);
  weights[5] = 0.0;  // a held-out count
  for (double rho : {0.3, kNoTripEnds}) {
    const TripEndProblem problem{routes, prior, 5, counts, weights, rho, LbfgsSettings{}};
    TripEndScratch scratch;
    prepareTripEndScratch(problem, scratch);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> shift(-0.5, 0.5);
    std::vector<double> u(tripEndUnknowns(problem));
    for (double& value : u) value = shift(random);
    std::vector<double> gradient, unused;
    tripEndObjective(problem, u, gradient, scratch);
    const double h = 1e-6;
    for (std::size_t i = 0; i < u.size(); ++i) {
      std::vector<double> plus = u, minus = u;
      plus[i] += h;
      minus[i] -= h;
      const double difference = (tripEndObjective(problem, plus, unused, scratch) -
                                 tripEndObjective(problem, minus, unused, scratch)) /
                                (2.0 * h);
      EXPECT_NEAR(gradient[i], difference, 1e-6 * std::max(1.0, std::abs(difference)))
          << "unknown " << i << ", rho " << rho;
    }
  }
}

TEST(TripEndFactors, APriorThatMeetsTheCountsComesBackUnchanged) {
  std::vector<double> prior;
  const RouteSet routes = randomRoutes(6, 12, 5, prior);
  std::vector<double> counts;
  loadPairs(routes, prior, counts, nullptr);  // v = P t
  const std::vector<double> weights = countWeights(10.0, counts);
  for (double rho : {0.1, kNoTripEnds}) {
    const TripEndProblem problem{routes, prior, 6, counts, weights, rho, tightSettings()};
    TripEndSolution solution;
    ASSERT_TRUE(balanceWithTripEnds(problem, solution).ok());
    for (std::size_t p = 0; p < prior.size(); ++p) {
      EXPECT_NEAR(solution.table[p], prior[p], 1e-9 * prior[p]);
    }
  }
}

TEST(TripEndFactors, AStaleRowMovesTowardsTheTruthWholeWithTripEnds) {
  // Four zones, each pair on a link of its own; half the pairs counted (one of
  // origin 0's three), counts from the truth; the prior is the truth with
  // origin 0's row halved. Without factors only the counted cell of the row
  // can move; with them the row's factor carries its uncounted cells along.
  std::vector<OdPair> pairs;
  std::vector<std::vector<std::vector<std::int32_t>>> paths;
  std::vector<std::vector<double>> shares;
  std::vector<double> truth, prior;
  const bool counted[12] = {1, 0, 0, 1, 1, 0, 0, 1, 1, 1, 0, 1};
  int links = 0;
  std::vector<double> counts;
  for (int o = 0; o < 4; ++o) {
    for (int d = 0; d < 4; ++d) {
      if (o == d) continue;
      const int p = static_cast<int>(pairs.size());
      pairs.push_back({o, d});
      truth.push_back(60.0 + 10.0 * p);
      prior.push_back(o == 0 ? 0.5 * truth.back() : truth.back());
      if (counted[p]) {
        paths.push_back({{links++}});
        counts.push_back(truth.back());
      } else {
        paths.push_back({});  // an uncounted pair crosses no counted link
      }
      shares.push_back(counted[p] ? std::vector<double>{1.0} : std::vector<double>{});
    }
  }
  const RouteSet routes = routeSet(links, pairs, paths, shares);
  const std::vector<double> weights = countWeights(1.0, counts);
  const double trueRow = truth[0] + truth[1] + truth[2];
  double rowMiss[2];
  int k = 0;
  for (double rho : {0.1, kNoTripEnds}) {
    const TripEndProblem problem{routes, prior, 4, counts, weights, rho, tightSettings()};
    TripEndSolution solution;
    ASSERT_TRUE(balanceWithTripEnds(problem, solution).ok());
    rowMiss[k++] = std::abs(solution.table[0] + solution.table[1] + solution.table[2] - trueRow);
    if (rho == 0.1) {
      EXPECT_GT(solution.originFactors[0], 0.1);     // the row rose whole
      EXPECT_GT(solution.table[1], 1.1 * prior[1]);  // uncounted cells too
    } else {
      EXPECT_EQ(solution.table[1], prior[1]);  // no route, no factor: untouched
    }
  }
  EXPECT_LT(rowMiss[0], 0.6 * rowMiss[1]);
}

TEST(TripEndFactors, RefusesWhatItCannotSolve) {
  const RouteSet routes = routeSet(2, {{0, 1}}, {{{0}, {1}}}, {{0.5, 0.5}});
  const std::vector<double> good{80.0}, zero{0.0}, counts{60.0, 40.0}, weights{1.0, 1.0},
      infinite{1.0, std::numeric_limits<double>::infinity()}, negative{-1.0, 1.0};
  TripEndSolution solution;
  auto refused = [&](const std::vector<double>& prior, int zones, const std::vector<double>& w,
                     double rho) {
    const TripEndProblem problem{routes, prior, zones, counts, w, rho, LbfgsSettings{}};
    return !balanceWithTripEnds(problem, solution).ok();
  };
  EXPECT_FALSE(refused(good, 2, weights, 0.1));
  EXPECT_TRUE(refused(zero, 2, weights, 0.1));   // a zero prior cell is not a pair
  EXPECT_TRUE(refused(good, 1, weights, 0.1));   // destination 1 is not a zone
  EXPECT_TRUE(refused(good, 2, infinite, 0.1));  // the hard limit is not supported
  EXPECT_TRUE(refused(good, 2, negative, 0.1));
  EXPECT_TRUE(refused(good, 2, weights, 0.0));  // ρ = 0 leaves the factors free
  EXPECT_TRUE(refused(good, 2, weights, std::nan("")));
}

TEST(TripEndFactors, SameBitsWithAnyTeam) {
  std::vector<double> prior;
  const RouteSet routes = randomRoutes(80, 300, 9, prior);  // 6,320 pairs: several blocks
  std::vector<double> counts;
  loadPairs(routes, prior, counts, nullptr);
  std::mt19937 random(2);
  std::uniform_real_distribution<double> noise(0.7, 1.3);
  for (double& v : counts) v *= noise(random);
  const std::vector<double> weights = countWeights(1.0, counts);
  LbfgsSettings settings;
  settings.maxIterations = 60;
  ThreadTeam one(1), two(2, 1);
  std::vector<TripEndSolution> solutions(3);
  ThreadTeam* teams[] = {nullptr, &one, &two};
  for (int t = 0; t < 3; ++t) {
    const TripEndProblem problem{routes, prior, 80, counts, weights, 0.1, settings, teams[t]};
    ASSERT_TRUE(balanceWithTripEnds(problem, solutions[t]).ok());
  }
  EXPECT_GT(solutions[0].minimiser.iterations, 10);
  for (int t = 1; t < 3; ++t) {
    EXPECT_EQ(solutions[t].minimiser.evaluations, solutions[0].minimiser.evaluations);
    ASSERT_EQ(solutions[t].table.size(), solutions[0].table.size());
    EXPECT_EQ(std::memcmp(solutions[t].table.data(), solutions[0].table.data(),
                          solutions[0].table.size() * sizeof(double)),
              0)
        << "team " << t;
  }
}

}  // namespace
}  // namespace veldmark
