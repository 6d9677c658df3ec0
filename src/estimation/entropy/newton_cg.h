// Minimising the entropy balancing's dual (entropy_dual.h) by Newton's method
// with conjugate-gradient directions: each Newton step solves ∇²D d = −∇D
// approximately by preconditioned conjugate gradients (only Hessian-vector
// products, never the Hessian), then backtracks along d until D falls enough
// (Armijo). Near the minimum the steps are whole and converge quadratically.
#pragma once

#include <vector>

#include "estimation/entropy/entropy_dual.h"

namespace veldmark {

struct NewtonSettings {
  double tolerance = 1e-8;  // stop once ‖∇D‖₂ <= tolerance · max(‖v‖₂, 1) (active links)
  int maxSteps = 100;       // Newton steps at most
  int maxCgSteps = 500;  // conjugate-gradient steps per Newton step at most
};

struct NewtonTrace {
  int steps = 0;                  // Newton steps taken
  int cgSteps = 0;                // conjugate-gradient steps over all Newton steps
  double relativeGradient = 0.0;  // ‖∇D‖₂ / max(‖v‖₂, 1) at the end
  bool converged = false;         // the tolerance was met
  bool stalled = false;           // the line search found no decrease (before the tolerance)
};

/// Minimises D from the multipliers in `lambda` (a warm start, their entries
/// for links left out set to 0; replaced by λ = 0 unless D is lower there
/// than at 0), leaving the last multipliers in
/// `lambda`, their table x(λ) in `table` and V = P x(λ) in `volumes`.
/// Conjugate gradients stop at a relative residual of min(0.5, √(relative
/// gradient)), at a direction of no positive curvature (the hard limit's
/// singular Hessian), or after settings.maxCgSteps; the preconditioner is
/// diag(V + 1 / w) (an upper bound of the Hessian's diagonal, since P's
/// entries are at most 1). The line search halves the step from 1 until
/// D(λ + s d) <= D(λ) + 1e-4 s ∇D·d, down to s = 2⁻⁴⁰ (then `stalled`).
/// Allocates its scratch; prints nothing. REQUIRES: lambda.size() == the
/// counted links.
NewtonTrace minimiseDual(const EntropyProblem& problem, const NewtonSettings& settings,
                         std::vector<double>& lambda, std::vector<double>& table,
                         std::vector<double>& volumes);

}  // namespace veldmark
