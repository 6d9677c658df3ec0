// The L-BFGS minimiser on functions whose minimum is known: a curved valley
// (Rosenbrock), an ill-conditioned quadratic, an objective that is not
// finite beyond a wall (the step-halving guard), and each stop reason.
#include "numeric/lbfgs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace veldmark {
namespace {

// Σ_i 100 (u_{2i+1} − u_{2i}²)² + (1 − u_{2i})²: minimum 0 at u = 1.
double rosenbrock(const std::vector<double>& u, std::vector<double>& gradient) {
  gradient.assign(u.size(), 0.0);
  double value = 0.0;
  for (std::size_t i = 0; i + 1 < u.size(); i += 2) {
    const double valley = u[i + 1] - u[i] * u[i];
    value += 100.0 * valley * valley + (1.0 - u[i]) * (1.0 - u[i]);
    gradient[i] = -400.0 * valley * u[i] - 2.0 * (1.0 - u[i]);
    gradient[i + 1] = 200.0 * valley;
  }
  return value;
}

TEST(Lbfgs, ReachesTheMinimumOfACurvedValleyAndAnIllConditionedQuadratic) {
  LbfgsSettings settings;
  settings.gradientTolerance = 1e-9;
  settings.decreaseTolerance = 0.0;
  std::vector<double> u(10);
  for (std::size_t i = 0; i < u.size(); ++i) u[i] = i % 2 == 0 ? -1.2 : 1.0;
  const LbfgsResult valley = minimiseLbfgs(rosenbrock, settings, u);
  EXPECT_EQ(valley.stop, LbfgsStop::kGradient);
  EXPECT_LE(valley.gradientNorm, 1e-9);
  for (double value : u) EXPECT_NEAR(value, 1.0, 1e-8);

  // ½ Σ_i h_i (v_i − c_i)² in coordinates v = Q u rotated by pairs (Q a product
  // of 45° turns), curvatures h_i from 1 to 1e4: minimum at u = Qᵀ c.
  const int n = 40;
  auto quadratic = [n](const std::vector<double>& at, std::vector<double>& gradient) {
    const double r = std::sqrt(0.5);
    gradient.assign(n, 0.0);
    double value = 0.0;
    for (int i = 0; i < n; i += 2) {
      const double v[2] = {r * (at[i] + at[i + 1]), r * (at[i] - at[i + 1])};
      double slope[2];
      for (int k = 0; k < 2; ++k) {
        const double h = std::pow(10.0, 4.0 * (i + k) / (n - 1));
        const double miss = v[k] - (i + k + 1.0);
        value += 0.5 * h * miss * miss;
        slope[k] = h * miss;
      }
      gradient[i] = r * (slope[0] + slope[1]);
      gradient[i + 1] = r * (slope[0] - slope[1]);
    }
    return value;
  };
  std::vector<double> w(n, 0.0);
  settings.gradientTolerance = 1e-6;
  settings.maxIterations = 5000;
  const LbfgsResult bowl = minimiseLbfgs(quadratic, settings, w);
  EXPECT_EQ(bowl.stop, LbfgsStop::kGradient);
  const double r = std::sqrt(0.5);
  for (int i = 0; i < n; i += 2) {
    // u = Qᵀ c: (r (c_i + c_{i+1}), r (c_i − c_{i+1}))
    EXPECT_NEAR(w[i], r * ((i + 1.0) + (i + 2.0)), 1e-6) << i;
    EXPECT_NEAR(w[i + 1], r * ((i + 1.0) - (i + 2.0)), 1e-6) << i;
  }
}

TEST(Lbfgs, HalvesStepsThatLeaveWhereTheObjectiveIsFinite) {
  // eᵘ − 2u on u < 1.5, NaN beyond: from u = −20 the slope is nearly −2 for
  // long, the step grows fourfold until it crosses the wall, and the minimum
  // (u = ln 2) lies inside it.
  int outside = 0;
  auto walled = [&outside](const std::vector<double>& u, std::vector<double>& gradient) {
    gradient.assign(1, 0.0);
    if (u[0] >= 1.5) {
      ++outside;
      gradient[0] = std::nan("");
      return std::nan("");
    }
    gradient[0] = std::exp(u[0]) - 2.0;
    return std::exp(u[0]) - 2.0 * u[0];
  };
  LbfgsSettings settings;
  settings.gradientTolerance = 1e-10;
  settings.decreaseTolerance = 0.0;
  std::vector<double> u{-20.0};
  const LbfgsResult result = minimiseLbfgs(walled, settings, u);
  EXPECT_GT(outside, 0);  // the guard ran
  EXPECT_EQ(result.stop, LbfgsStop::kGradient);
  EXPECT_NEAR(u[0], std::log(2.0), 1e-10);
}

TEST(Lbfgs, StopsForEachStatedReason) {
  std::vector<double> u{-1.2, 1.0};
  LbfgsSettings settings;
  settings.maxIterations = 3;
  settings.decreaseTolerance = 0.0;
  LbfgsResult result = minimiseLbfgs(rosenbrock, settings, u);
  EXPECT_EQ(result.stop, LbfgsStop::kIterations);
  EXPECT_EQ(result.iterations, 3);
  EXPECT_LT(result.value, 24.2);  // F(−1.2, 1) = 24.2, and F never rises

  u = {-1.2, 1.0};
  settings.maxIterations = 1000;
  settings.decreaseTolerance = 1e-3;  // a loose relative decrease over 5 iterations
  settings.past = 5;
  result = minimiseLbfgs(rosenbrock, settings, u);
  EXPECT_EQ(result.stop, LbfgsStop::kDecrease);
  EXPECT_GE(result.iterations, 5);

  u = {std::nan(""), 0.0};
  result = minimiseLbfgs(rosenbrock, settings, u);
  EXPECT_EQ(result.stop, LbfgsStop::kNonFinite);
  EXPECT_EQ(result.evaluations, 1);
}

TEST(Lbfgs, StopsOnTooSmallADecreaseOnlyWhenAFreshMemoryStallsToo) {
  // F after each iteration k (the run capped at k iterations: the same steps).
  LbfgsSettings settings;
  settings.decreaseTolerance = 1e-3;
  settings.past = 1;
  std::vector<double> u{-1.2, 1.0};
  const LbfgsResult whole = minimiseLbfgs(rosenbrock, settings, u);
  ASSERT_EQ(whole.stop, LbfgsStop::kDecrease);
  std::vector<double> values;
  for (int k = 0; k <= whole.iterations; ++k) {
    LbfgsSettings capped = settings;
    capped.maxIterations = k;
    u = {-1.2, 1.0};
    values.push_back(minimiseLbfgs(rosenbrock, capped, u).value);
  }
  const auto stalled = [&](int k) {
    return values[k - 1] - values[k] <= settings.decreaseTolerance * std::max(values[k], 1.0);
  };
  const int n = whole.iterations;
  ASSERT_GE(n, 2);
  EXPECT_TRUE(stalled(n) && stalled(n - 1));  // the stop: two stalls running
  int single = 0;                             // stalls the run went on after
  for (int k = 1; k < n - 1; ++k) {
    EXPECT_FALSE(stalled(k) && stalled(k + 1)) << "iteration " << k;
    single += stalled(k);
  }
  EXPECT_GT(single, 0);  // the old rule would have stopped at the first
}

}  // namespace
}  // namespace veldmark
