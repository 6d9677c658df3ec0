// The gradient adjustment of a table to counts on fixed routes: minimise
// Z(x) = ½ Σ_c (V_c − v_c)², V = P x, by multiplicative steps
//   x ← x ∘ (1 − s g),   g = Pᵀ (V − v)
// with the step that is best along the direction,
//   s* = Σ_c V'_c (v_c − V_c) / Σ_c V'_c²,   V' = −P (x ∘ g),
// bounded by 1 / max{g_p : g_p > 0, x_p > 0} so that no cell turns
// negative. A zero cell stays zero. Stopping early keeps the table near
// where it started: that is the method's regularisation.
#pragma once

#include <cstdint>
#include <vector>

#include "assignment/route_set.h"
#include "numeric/thread_team.h"

namespace veldmark {

struct GradientSettings {
  int maxIterations = 50;   // steps at most
  double tolerance = 1e-4;  // stop once |Z_before − Z_after| < tolerance · Z_before
};

enum class GradientStop {
  kIterationCap,    // maxIterations steps ran
  kRelativeChange,  // the objective changed by less than the tolerance (or reached 0)
  kZeroGradient,    // Σ V'² = 0: no step changes V
};

struct GradientTrace {
  int iterations = 0;           // steps taken
  double objective = 0.0;       // Z at the end
  double firstObjective = 0.0;  // Z of the starting table
  GradientStop stop = GradientStop::kIterationCap;
  int boundedSteps = 0;  // steps cut to the bound
};

/// Adjusts `table` (one value per pair of `routes`, >= 0) in place towards
/// the counts `counts` (one per link of `routes`; only links with
/// included[c] = 1 take part, all when `included` is empty), leaving V = P x
/// in `volumes`. After each step a cell that rounding left below 0 is set to
/// 0. Sums in index order; the products as route_set.h says: the same bits at
/// any team size. Allocates its scratch; prints nothing.
GradientTrace adjustByGradient(const RouteSet& routes, const std::vector<double>& counts,
                               const std::vector<std::uint8_t>& included,
                               const GradientSettings& settings, std::vector<double>& table,
                               std::vector<double>& volumes, ThreadTeam* team);

}  // namespace veldmark
