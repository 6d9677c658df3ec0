// The gradient method: the prior adjusted to the counts by gradient steps
// (gradient_adjustment.h) on the routes of an equilibrium assignment of the
// prior, then, level after level, on the routes of the estimate, starting
// from it. The peers' method, for comparison.
#pragma once

#include "estimation/balancing/balancing_inputs.h"
#include "estimation/estimate.h"

namespace veldmark {

/// The levels (assignments of routes) when --outer is not given.
inline constexpr int kGradientLevels = 1;

/// Estimates by gradient adjustment (runBalancing with the gradient
/// balancer; settings.maxIterations steps per level at most, relative change
/// 1e-4) into `estimate`. Throws std::bad_alloc when memory runs out.
/// Prints nothing; reports its phases through settings.onPhase.
Status estimateByGradient(const BalancingInputs& inputs, const BalancingSettings& settings,
                          Estimate& estimate);

}  // namespace veldmark
