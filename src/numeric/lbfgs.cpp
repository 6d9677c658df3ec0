#include "numeric/lbfgs.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "numeric/wolfe_search.h"

namespace veldmark {

namespace {

double dot(const std::vector<double>& a, const std::vector<double>& b) {
  double sum = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    sum += a[i] * b[i];
  }
  return sum;
}

double normInf(const std::vector<double>& a) {
  double norm = 0.0;
  for (double value : a) {
    norm = std::max(norm, std::abs(value));  // NaN stays out; its F is caught first
  }
  return norm;
}

bool allFinite(const std::vector<double>& a) {
  for (double value : a) {
    if (!std::isfinite(value)) {
      return false;
    }
  }
  return true;
}

// The last `memory` pairs (s, y) with ρ = 1 / sᵀy, in a ring: entry
// (newest − k) mod memory is the k-th newest.
struct History {
  std::vector<std::vector<double>> s;
  std::vector<std::vector<double>> y;
  std::vector<double> rho;
  int newest = -1;
  int count = 0;
};

// Keeps (s, y) = (u' − u, ∇F' − ∇F) when sᵀy > 0 (the curvature the
// estimate needs to stay positive definite), over the oldest pair when the
// ring is full; otherwise leaves the history as it was.
void remember(History& history, const std::vector<double>& oldPoint,
              const std::vector<double>& oldGradient, const LinePoint& next) {
  const std::size_t n = oldPoint.size();
  double sy = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    sy += (next.point[i] - oldPoint[i]) * (next.gradient[i] - oldGradient[i]);
  }
  if (!(sy > 0.0)) {
    return;
  }
  const int memory = static_cast<int>(history.s.size());
  const int slot = (history.newest + 1) % memory;
  std::vector<double>& s = history.s[slot];
  std::vector<double>& y = history.y[slot];
  s.resize(n);
  y.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    s[i] = next.point[i] - oldPoint[i];
    y[i] = next.gradient[i] - oldGradient[i];
  }
  history.rho[slot] = 1.0 / sy;
  history.newest = slot;
  history.count = std::min(history.count + 1, memory);
}

// d = −H ∇F by the two-loop recursion, H0 = (sᵀy / yᵀy) I from the newest
// pair (I without one).
void direction(const History& history, const std::vector<double>& gradient, std::vector<double>& d,
               std::vector<double>& alpha) {
  const int memory = static_cast<int>(history.s.size());
  const std::size_t n = gradient.size();
  d.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    d[i] = -gradient[i];
  }
  for (int k = 0; k < history.count; ++k) {  // newest to oldest
    const int j = (history.newest - k + memory) % memory;
    alpha[j] = history.rho[j] * dot(history.s[j], d);  // α_j = ρ_j s_jᵀq
    for (std::size_t i = 0; i < n; ++i) {
      d[i] -= alpha[j] * history.y[j][i];  // q −= α_j y_j
    }
  }
  if (history.count > 0) {
    const std::vector<double>& y = history.y[history.newest];
    const double scale = 1.0 / (history.rho[history.newest] * dot(y, y));  // sᵀy / yᵀy
    for (std::size_t i = 0; i < n; ++i) {
      d[i] *= scale;
    }
  }
  for (int k = history.count - 1; k >= 0; --k) {  // oldest to newest
    const int j = (history.newest - k + memory) % memory;
    const double beta = history.rho[j] * dot(history.y[j], d);  // β = ρ_j y_jᵀr
    for (std::size_t i = 0; i < n; ++i) {
      d[i] += (alpha[j] - beta) * history.s[j][i];  // r += (α_j − β) s_j
    }
  }
}

}  // namespace

LbfgsResult minimiseLbfgs(const LbfgsObjective& objective, const LbfgsSettings& settings,
                          std::vector<double>& u) {
  LbfgsResult result;
  std::vector<double> gradient;
  result.value = objective(u, gradient);
  result.evaluations = 1;
  result.gradientNorm = normInf(gradient);
  if (!std::isfinite(result.value) || !allFinite(gradient)) {
    result.stop = LbfgsStop::kNonFinite;
    return result;
  }
  History history;
  history.s.resize(settings.memory);
  history.y.resize(settings.memory);
  history.rho.resize(settings.memory);
  std::vector<double> alpha(settings.memory);
  std::vector<double> d;
  std::vector<double> values{result.value};  // F after each iteration, the start first
  LineSearchScratch line;
  bool restarted = false;  // the memory was started afresh after the last iteration
  while (true) {
    if (result.gradientNorm <= settings.gradientTolerance) {
      result.stop = LbfgsStop::kGradient;
      break;
    }
    if (result.iterations >= settings.maxIterations) {
      result.stop = LbfgsStop::kIterations;
      break;
    }
    // --- Direction and first step: a whole quasi-Newton step, or without
    //     curvature pairs a steepest-descent step of length at most 1.
    direction(history, gradient, d, alpha);
    double slope = dot(gradient, d);
    if (!(slope < 0.0)) {  // rounding spoilt the estimate: start it afresh
      history.count = 0;
      direction(history, gradient, d, alpha);
      slope = dot(gradient, d);
    }
    const double firstStep = history.count > 0 ? 1.0 : std::min(1.0, 1.0 / std::sqrt(dot(d, d)));
    LineSearchOutcome outcome = searchLine(objective, u, result.value, slope, d, firstStep,
                                           settings.maxLineSteps, line, result.evaluations);
    if (outcome == LineSearchOutcome::kNoDecrease && history.count > 0) {
      history.count = 0;  // retry once along −∇F
      direction(history, gradient, d, alpha);
      slope = dot(gradient, d);
      outcome = searchLine(objective, u, result.value, slope, d,
                           std::min(1.0, 1.0 / std::sqrt(dot(d, d))), settings.maxLineSteps, line,
                           result.evaluations);
    }
    if (outcome == LineSearchOutcome::kNoDecrease) {
      result.stop = LbfgsStop::kLineSearch;
      break;
    }
    // --- Move to the accepted point and remember the step.
    remember(history, u, gradient, line.best);
    std::swap(u, line.best.point);
    std::swap(gradient, line.best.gradient);
    result.value = line.best.value;
    result.gradientNorm = normInf(gradient);
    ++result.iterations;
    values.push_back(result.value);
    const int k = result.iterations;
    const bool stalled = k >= settings.past &&
                         values[k - settings.past] - result.value <=
                             settings.decreaseTolerance * std::max(std::abs(result.value), 1.0);
    // --- Too small a decrease: stale curvature pairs (the last step entered
    //     a region the memory does not describe) can cause it as well as the
    //     minimum. Start the memory afresh once; stop if that stalls too.
    if (stalled && restarted) {
      result.stop = LbfgsStop::kDecrease;
      break;
    }
    restarted = stalled;
    if (stalled) history.count = 0;
  }
  return result;
}

const char* lbfgsStopName(LbfgsStop stop) {
  switch (stop) {
    case LbfgsStop::kGradient:
      return "converged";
    case LbfgsStop::kDecrease:
      return "no further decrease";
    case LbfgsStop::kIterations:
      return "iteration limit";
    case LbfgsStop::kLineSearch:
      return "line search stalled";
    case LbfgsStop::kNonFinite:
      return "not finite at the start";
  }
  return "unknown";
}

}  // namespace veldmark
