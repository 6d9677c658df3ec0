#include "numeric/wolfe_search.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace veldmark {

namespace {

constexpr double kSufficientDecrease = 1e-4;  // c1
constexpr double kCurvature = 0.9;            // c2
constexpr double kGrowth = 4.0;               // the step's growth before a bracket is found
constexpr double kInnerShare = 0.1;           // interpolated steps keep this share of the
                                              //   bracket's width from either end

// The ends of the search's interval: a step with its value and slope.
struct Edge {
  double step = 0.0;
  double value = 0.0;
  double slope = 0.0;
};

// The minimiser of the cubic through (a, fa, f'a) and (b, fb, f'b):
//   b − (b − a) (f'b + d2 − d1) / (f'b − f'a + 2 d2),
//   d1 = f'a + f'b − 3 (fa − fb) / (a − b),  d2 = sign(b − a) √(d1² − f'a f'b);
// NaN when the cubic has no minimum.
double cubicMinimum(const Edge& a, const Edge& b) {
  const double d1 = a.slope + b.slope - 3.0 * (a.value - b.value) / (a.step - b.step);
  const double discriminant = d1 * d1 - a.slope * b.slope;
  if (!(discriminant >= 0.0)) {
    return std::nan("");
  }
  const double d2 = std::copysign(std::sqrt(discriminant), b.step - a.step);
  return b.step - (b.step - a.step) * (b.slope + d2 - d1) / (b.slope - a.slope + 2.0 * d2);
}

// The next trial inside the bracket [low, high] (either order): the cubic's
// minimum when the high end's slope is known and the minimum lies in the
// bracket's inner part, else the midpoint.
double nextInBracket(const Edge& low, const Edge& high, bool highKnown) {
  const double width = high.step - low.step;
  const double middle = low.step + 0.5 * width;
  if (!highKnown) {
    return middle;
  }
  const double cubic = cubicMinimum(low, high);
  const double first = low.step + kInnerShare * width;
  const double last = high.step - kInnerShare * width;
  const bool inside =
      width > 0.0 ? (cubic >= first && cubic <= last) : (cubic <= first && cubic >= last);
  return inside ? cubic : middle;
}

// F, ∇F and the slope at u + a d into `trial`; false when any is not finite.
bool evaluate(const LbfgsObjective& objective, const std::vector<double>& u,
              const std::vector<double>& direction, double step, LinePoint& trial,
              int& evaluations) {
  const std::size_t n = u.size();
  trial.point.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    trial.point[i] = u[i] + step * direction[i];  // u + a d
  }
  trial.step = step;
  trial.value = objective(trial.point, trial.gradient);
  ++evaluations;
  double slope = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    slope += trial.gradient[i] * direction[i];  // ∇Fᵀd
  }
  trial.slope = slope;
  return std::isfinite(trial.value) && std::isfinite(slope);
}

}  // namespace

LineSearchOutcome searchLine(const LbfgsObjective& objective, const std::vector<double>& u,
                             double value, double slope, const std::vector<double>& direction,
                             double firstStep, int maxEvaluations, LineSearchScratch& scratch,
                             int& evaluations) {
  Edge low{0.0, value, slope};  // sufficient decrease, lowest F so far (step 0: u itself)
  Edge high;                    // the bracket's other end, once bracketed
  bool bracketed = false;
  bool highKnown = false;  // the high end's value and slope are finite
  double step = firstStep;
  for (int k = 0; k < maxEvaluations; ++k) {
    LinePoint& trial = scratch.trial;
    // --- A non-finite F or ∇F (a non-finite component makes the slope NaN
    //     or ±inf, even times a zero of d): the step was too long; halve it
    //     towards the low end.
    if (!evaluate(objective, u, direction, step, trial, evaluations)) {
      high = Edge{step, 0.0, 0.0};
      bracketed = true;
      highKnown = false;
      step = low.step + 0.5 * (step - low.step);
      continue;
    }
    const Edge edge{trial.step, trial.value, trial.slope};
    const bool decrease = edge.value <= value + kSufficientDecrease * edge.step * slope;
    // Near the minimum the decrease c1 a ∇Fᵀd falls below F's rounding: a
    // step whose slope is flat enough and where F did not rise is taken too.
    if (std::abs(edge.slope) <= -kCurvature * slope && (decrease || edge.value <= value)) {
      std::swap(scratch.best, trial);
      return LineSearchOutcome::kWolfe;
    }
    if (!decrease || edge.value >= low.value) {
      high = edge;  // F rose: the minimum lies between low and here
      bracketed = true;
      highKnown = true;
    } else {
      // The slope points back to the old low end (or, unbracketed, F rises
      // beyond this step): the old low end closes the bracket.
      if (bracketed ? edge.slope * (high.step - low.step) >= 0.0 : edge.slope >= 0.0) {
        high = low;
        bracketed = true;
        highKnown = true;
      }
      low = edge;
      std::swap(scratch.best, trial);
    }
    if (!bracketed) {
      step = kGrowth * step;
      continue;
    }
    if (std::abs(high.step - low.step) <= 1e-16 * std::max(1.0, std::abs(low.step))) {
      break;  // the bracket is as narrow as the steps' rounding
    }
    step = nextInBracket(low, high, highKnown);
  }
  return low.step > 0.0 ? LineSearchOutcome::kDecreaseOnly : LineSearchOutcome::kNoDecrease;
}

}  // namespace veldmark
