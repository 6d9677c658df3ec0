// The line search of the L-BFGS minimiser (lbfgs.h): along a descent
// direction d from u, a step a > 0 meeting the strong Wolfe conditions
//   F(u + a d) <= F(u) + c1 a ∇F(u)ᵀd,   |∇F(u + a d)ᵀd| <= c2 |∇F(u)ᵀd|
// with c1 = 1e-4, c2 = 0.9, by bracketing and zooming (Nocedal & Wright,
// algorithms 3.5 and 3.6).
#pragma once

#include <vector>

#include "numeric/lbfgs.h"

namespace veldmark {

// A point u + a d on the line with what the objective said there.
struct LinePoint {
  std::vector<double> point;     // u + a d
  std::vector<double> gradient;  // ∇F(u + a d)
  double step = 0.0;             // a
  double value = 0.0;            // F(u + a d)
  double slope = 0.0;            // ∇F(u + a d)ᵀd
};

// The search's two points, kept from call to call so that it allocates once.
struct LineSearchScratch {
  LinePoint trial;  // the point being tried
  LinePoint best;   // the lowest point with sufficient decrease so far: the result
};

enum class LineSearchOutcome {
  kWolfe,         // scratch.best meets both conditions (or the curvature condition where
                  //   F did not rise: near the minimum the decrease hides in F's rounding)
  kDecreaseOnly,  // scratch.best has sufficient decrease, but the evaluations (or the
                  //   bracket's width, at rounding level) ran out before the curvature condition
  kNoDecrease,    // no step decreased F enough: scratch.best is unspecified
};

/// Searches from `u` (F(u) = value, ∇F(u)ᵀd = slope < 0) along `direction`,
/// trying `firstStep` first. A step beyond the first one that meets sufficient
/// decrease is multiplied by 4 until F rises or the slope turns; a bracket is
/// narrowed by the cubic through its ends' values and slopes, kept within
/// the bracket's inner 80 % (else its midpoint). A trial where F or ∇F is
/// not finite halves the step towards the bracket's low end. At most
/// `maxEvaluations` calls of `objective`, each counted in `evaluations`.
/// Prints nothing. REQUIRES: slope < 0, firstStep > 0, all sizes equal.
LineSearchOutcome searchLine(const LbfgsObjective& objective, const std::vector<double>& u,
                             double value, double slope, const std::vector<double>& direction,
                             double firstStep, int maxEvaluations, LineSearchScratch& scratch,
                             int& evaluations);

}  // namespace veldmark
