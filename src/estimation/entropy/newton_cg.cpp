#include "estimation/entropy/newton_cg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace veldmark {
namespace {

constexpr double kArmijo = 1e-4;      // sufficient decrease: a share of the slope
constexpr int kHalvings = 40;         // step 1 down to 2⁻⁴⁰
constexpr double kInvisible = 1e-12;  // a decrease below this share of |D| is rounding

double dot(const std::vector<double>& a, const std::vector<double>& b) {
  double sum = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) sum += a[i] * b[i];
  return sum;
}

// ‖v‖₂ over the links that take part, at least 1.
double countScale(const EntropyProblem& problem) {
  double sum = 0.0;
  for (std::size_t c = 0; c < problem.counts.size(); ++c) {
    if (isActive(problem, static_cast<int>(c))) sum += problem.counts[c] * problem.counts[c];
  }
  return std::fmax(std::sqrt(sum), 1.0);
}

// The solver's vectors, kept from step to step.
struct Scratch {
  std::vector<double> gradient, preconditioner, direction, residual, scaled, search, product;
  std::vector<double> along, pairs, trialLambda, trialTable, trialAlong, trialVolumes;
  std::vector<double> trialGradient;
};

// M = diag(V + 1 / w): 1 where that is not a positive finite number.
void setPreconditioner(const EntropyProblem& problem, const std::vector<double>& volumes,
                       std::vector<double>& preconditioner) {
  preconditioner.resize(volumes.size());
  for (std::size_t c = 0; c < volumes.size(); ++c) {
    const double m = volumes[c] + 1.0 / problem.weights[c];
    preconditioner[c] = m > 0.0 && std::isfinite(m) ? m : 1.0;
  }
}

// Solves ∇²D d = −∇D by preconditioned conjugate gradients from d = 0 to
// ‖r‖ <= relative ‖∇D‖. Returns the steps taken.
int conjugateGradient(const EntropyProblem& problem, const std::vector<double>& table,
                      double relative, int maxSteps, Scratch& s) {
  const std::size_t n = s.gradient.size();
  s.direction.assign(n, 0.0);
  s.residual.resize(n);
  s.scaled.resize(n);
  for (std::size_t c = 0; c < n; ++c) {
    s.residual[c] = -s.gradient[c];                     // r = −∇D − ∇²D · 0
    s.scaled[c] = s.residual[c] / s.preconditioner[c];  // z = M⁻¹ r
  }
  s.search = s.scaled;
  double rz = dot(s.residual, s.scaled);
  const double goal = relative * relative * dot(s.gradient, s.gradient);
  int steps = 0;
  while (steps < maxSteps && dot(s.residual, s.residual) > goal) {
    hessianProduct(problem, table, s.along, s.search, s.product, s.pairs);  // q = ∇²D p
    const double curvature = dot(s.search, s.product);
    if (!(curvature > 0.0) || !std::isfinite(curvature)) break;  // singular along p
    const double alpha = rz / curvature;
    for (std::size_t c = 0; c < n; ++c) {
      s.direction[c] += alpha * s.search[c];  // d += α p
      s.residual[c] -= alpha * s.product[c];  // r −= α q
      s.scaled[c] = s.residual[c] / s.preconditioner[c];
    }
    const double rzNext = dot(s.residual, s.scaled);
    const double beta = rzNext / rz;
    for (std::size_t c = 0; c < n; ++c) s.search[c] = s.scaled[c] + beta * s.search[c];
    rz = rzNext;
    ++steps;
  }
  if (steps == 0) s.direction = s.scaled;  // no curvature at all: M⁻¹(−∇D)
  return steps;
}

}  // namespace

NewtonTrace minimiseDual(const EntropyProblem& problem, const NewtonSettings& settings,
                         std::vector<double>& lambda, std::vector<double>& table,
                         std::vector<double>& volumes) {
  NewtonTrace trace;
  Scratch s;
  for (std::size_t c = 0; c < lambda.size(); ++c) {
    if (!isActive(problem, static_cast<int>(c))) lambda[c] = 0.0;
  }
  const double scale = countScale(problem);
  dualTable(problem, lambda, table, s.along);
  double value = dualValue(problem, lambda, table, s.along);
  // A warm start is kept only where it is better than λ = 0 (D(0) = Σ t).
  double start = 0.0;
  for (const double t : problem.prior) start += t;
  if (!(value <= start)) {
    std::fill(lambda.begin(), lambda.end(), 0.0);
    dualTable(problem, lambda, table, s.along);
    value = dualValue(problem, lambda, table, s.along);
  }
  loadPairs(problem.routes, table, volumes, problem.team);
  for (;;) {
    dualGradient(problem, lambda, volumes, s.gradient);
    trace.relativeGradient = std::sqrt(dot(s.gradient, s.gradient)) / scale;
    if (trace.relativeGradient <= settings.tolerance) {
      trace.converged = true;
      return trace;
    }
    if (trace.steps == settings.maxSteps) return trace;
    setPreconditioner(problem, volumes, s.preconditioner);
    const double relative = std::fmin(0.5, std::sqrt(trace.relativeGradient));
    trace.cgSteps += conjugateGradient(problem, table, relative, settings.maxCgSteps, s);
    double slope = dot(s.gradient, s.direction);
    if (!(slope < 0.0)) {  // not a descent direction: M⁻¹(−∇D) is one
      for (std::size_t c = 0; c < s.direction.size(); ++c) {
        s.direction[c] = -s.gradient[c] / s.preconditioner[c];
      }
      slope = dot(s.gradient, s.direction);
    }
    // --- Backtracking: D(λ + s d) <= D(λ) + 1e-4 s ∇D·d ---
    double step = 1.0;
    bool accepted = false, volumesDone = false;
    for (int halving = 0; halving <= kHalvings && !accepted; ++halving, step *= 0.5) {
      s.trialLambda.resize(lambda.size());
      for (std::size_t c = 0; c < lambda.size(); ++c) {
        s.trialLambda[c] = lambda[c] + step * s.direction[c];
      }
      dualTable(problem, s.trialLambda, s.trialTable, s.trialAlong);
      const double trial = dualValue(problem, s.trialLambda, s.trialTable, s.trialAlong);
      accepted = std::isfinite(trial) && trial - value <= kArmijo * step * slope;
      if (!accepted && std::isfinite(trial) && -step * slope <= kInvisible * std::fabs(value)) {
        // D's rounding hides the decrease: the smaller gradient decides.
        loadPairs(problem.routes, s.trialTable, s.trialVolumes, problem.team);
        dualGradient(problem, s.trialLambda, s.trialVolumes, s.trialGradient);
        accepted = dot(s.trialGradient, s.trialGradient) < dot(s.gradient, s.gradient);
        volumesDone = accepted;
      }
      if (accepted) value = trial;
    }
    ++trace.steps;
    if (!accepted) {
      trace.stalled = true;
      return trace;
    }
    lambda.swap(s.trialLambda);
    table.swap(s.trialTable);
    s.along.swap(s.trialAlong);
    if (volumesDone) {
      volumes.swap(s.trialVolumes);
    } else {
      loadPairs(problem.routes, table, volumes, problem.team);
    }
  }
}

}  // namespace veldmark
