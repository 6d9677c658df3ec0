// The entropy method: the prior balanced to the counts (soft counts, weight
// κ) on the routes of an equilibrium assignment of the prior, κ chosen by
// cross-validation unless given, and the routes assigned again from the
// estimate as many times as asked.
#pragma once

#include "estimation/balancing/balancing_inputs.h"
#include "estimation/estimate.h"

namespace veldmark {

/// The levels (assignments of routes) when --outer is not given.
inline constexpr int kEntropyLevels = 2;

/// The count weights cross-validation tries, smallest first.
inline constexpr double kCountWeightsTried[] = {0.1, 0.3, 1.0, 3.0, 10.0, 30.0, 100.0, 300.0};

/// Estimates by entropy balancing (runBalancing with the entropy balancer)
/// into `estimate`. Fails with "the counts cannot be met exactly on these
/// routes: ..." when κ is +inf (the hard limit) and the multipliers do not
/// converge. Throws std::bad_alloc when memory runs out. Prints nothing;
/// reports its phases through settings.onPhase.
Status estimateByEntropy(const BalancingInputs& inputs, const BalancingSettings& settings,
                         Estimate& estimate);

}  // namespace veldmark
