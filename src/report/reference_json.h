// The comparison with a reference table as the run summary's "reference"
// object.
#pragma once

#include <nlohmann/json.hpp>

#include "report/reference_comparison.h"

namespace veldmark {

/// Returns the comparison as a JSON object:
///   {"path", "estimate_total", "reference_total",
///    "cells" | "origins" | "destinations":
///        {"count", "estimate_total", "reference_total", "r_squared", "rmse", "relative_rmse"},
///    "zones_missing_from_reference": [...], "zones_missing_from_estimate": [...]}
/// A statistic that is not a number (a constant side, an empty list) is null.
/// Reads only; prints nothing.
nlohmann::ordered_json referenceJson(const ReferenceComparison& comparison);

}  // namespace veldmark
