#include "report/reference_json.h"

#include <cmath>

namespace veldmark {
namespace {

// A number, or null when it is not finite (JSON has no NaN).
nlohmann::ordered_json number(double value) {
  return std::isfinite(value) ? nlohmann::ordered_json(value) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json fitJson(const ComparisonStatistics& fit) {
  return {{"count", fit.count},
          {"estimate_total", number(fit.estimatedTotal)},
          {"reference_total", number(fit.referenceTotal)},
          {"r_squared", number(fit.rSquared)},
          {"rmse", number(fit.rmse)},
          {"relative_rmse", number(fit.relativeRmse)}};
}

}  // namespace

nlohmann::ordered_json referenceJson(const ReferenceComparison& comparison) {
  return {{"path", comparison.path},
          {"estimate_total", number(comparison.estimateTotal)},
          {"reference_total", number(comparison.referenceTotal)},
          {"cells", fitJson(comparison.cells)},
          {"origins", fitJson(comparison.origins)},
          {"destinations", fitJson(comparison.destinations)},
          {"zones_missing_from_reference", comparison.missingFromReference},
          {"zones_missing_from_estimate", comparison.missingFromEstimate}};
}

}  // namespace veldmark
