#include "report/reference_json.h"

#include <cmath>
#include <utility>

namespace veldmark {
namespace {

// A number, or null when it is not finite (JSON has no NaN).
nlohmann::ordered_json number(double value) {
  return std::isfinite(value) ? nlohmann::ordered_json(value) : nlohmann::ordered_json(nullptr);
}

// The comparison of one set of values: its count, then its numbers in order.
nlohmann::ordered_json fitJson(const ComparisonStatistics& fit) {
  const std::pair<const char*, double> numbers[] = {{"estimate_total", fit.estimatedTotal},
                                                    {"reference_total", fit.referenceTotal},
                                                    {"r_squared", fit.rSquared},
                                                    {"rmse", fit.rmse},
                                                    {"relative_rmse", fit.relativeRmse}};
  nlohmann::ordered_json json = {{"count", fit.count}};
  for (const auto& [name, value] : numbers) json[name] = number(value);
  return json;
}

}  // namespace

nlohmann::ordered_json referenceJson(const ReferenceComparison& comparison) {
  return {{"path", comparison.path},
          {"estimate_total", number(comparison.estimateTotal)},
          {"reference_total", number(comparison.referenceTotal)},
          {"cells", fitJson(comparison.cells)},
          {"origins", fitJson(comparison.origins)},
          {"destinations", fitJson(comparison.destinations)},
          {"zones_missing_from_reference", namedZones(comparison.missingFromReference)},
          {"zones_missing_from_estimate", namedZones(comparison.missingFromEstimate)},
          {"zones_missing_from_reference_count", comparison.missingFromReference.size()},
          {"zones_missing_from_estimate_count", comparison.missingFromEstimate.size()}};
}

}  // namespace veldmark
