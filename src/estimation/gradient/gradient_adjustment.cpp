#include "estimation/gradient/gradient_adjustment.h"

#include <cmath>
#include <cstdint>

namespace veldmark {
namespace {

bool takesPart(const std::vector<std::uint8_t>& included, std::size_t c) {
  return included.empty() || included[c] != 0;
}

// r = V − v on the links that take part, 0 elsewhere; returns Z = ½ Σ r².
double residuals(const std::vector<double>& volumes, const std::vector<double>& counts,
                 const std::vector<std::uint8_t>& included, std::vector<double>& residual) {
  residual.resize(counts.size());
  double objective = 0.0;
  for (std::size_t c = 0; c < counts.size(); ++c) {
    residual[c] = takesPart(included, c) ? volumes[c] - counts[c] : 0.0;
    objective += 0.5 * residual[c] * residual[c];
  }
  return objective;
}

// The step along −x ∘ g: s* = Σ V'(v − V) / Σ V'², bounded by
// 1 / max{g_p : g_p > 0, x_p > 0}; `bounded` tells whether the bound cut it.
// Returns 0 when Σ V'² = 0.
double stepLength(const std::vector<double>& change, const std::vector<double>& residual,
                  const std::vector<std::uint8_t>& included, const std::vector<double>& gradient,
                  const std::vector<double>& table, bool& bounded) {
  double along = 0.0, curvature = 0.0;
  for (std::size_t c = 0; c < change.size(); ++c) {
    if (!takesPart(included, c)) continue;
    along += change[c] * -residual[c];   // Σ V'_c (v_c − V_c)
    curvature += change[c] * change[c];  // Σ V'_c²
  }
  if (!(curvature > 0.0)) return 0.0;
  double step = along / curvature;
  double largest = 0.0;  // max{g_p : g_p > 0, x_p > 0}
  for (std::size_t p = 0; p < gradient.size(); ++p) {
    if (gradient[p] > largest && table[p] > 0.0) largest = gradient[p];
  }
  bounded = largest > 0.0 && step > 1.0 / largest;
  if (bounded) step = 1.0 / largest;
  return step;
}

}  // namespace

GradientTrace adjustByGradient(const RouteSet& routes, const std::vector<double>& counts,
                               const std::vector<std::uint8_t>& included,
                               const GradientSettings& settings, std::vector<double>& table,
                               std::vector<double>& volumes, ThreadTeam* team) {
  GradientTrace trace;
  std::vector<double> residual, gradient, scaled, change;
  loadPairs(routes, table, volumes, team);
  trace.objective = residuals(volumes, counts, included, residual);
  trace.firstObjective = trace.objective;
  while (trace.iterations < settings.maxIterations) {
    sumAlongPairs(routes, residual, gradient, team);  // g = Pᵀ (V − v)
    scaled.resize(gradient.size());
    for (std::size_t p = 0; p < gradient.size(); ++p) scaled[p] = -table[p] * gradient[p];
    loadPairs(routes, scaled, change, team);  // V' = −P (x ∘ g)
    bool bounded = false;
    const double step = stepLength(change, residual, included, gradient, table, bounded);
    if (step == 0.0) {
      trace.stop = GradientStop::kZeroGradient;
      return trace;
    }
    for (std::size_t p = 0; p < table.size(); ++p) {
      const double x = table[p] * (1.0 - step * gradient[p]);  // x ∘ (1 − s g)
      table[p] = x < 0.0 ? 0.0 : x;
    }
    ++trace.iterations;
    if (bounded) ++trace.boundedSteps;
    loadPairs(routes, table, volumes, team);
    const double before = trace.objective;
    trace.objective = residuals(volumes, counts, included, residual);
    if (before == 0.0 || std::fabs(before - trace.objective) < settings.tolerance * before) {
      trace.stop = GradientStop::kRelativeChange;
      return trace;
    }
  }
  return trace;
}

}  // namespace veldmark
