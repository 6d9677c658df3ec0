// The run summary as one JSON document (--summary FILE); its schema is
// documented, with an example, in docs/GUIDE.md.
#pragma once

#include <string>

#include "report/reference_comparison.h"
#include "report/run_summary.h"

namespace veldmark {

/// The JSON text of `summary`, indented by two, keys in the documented
/// order, ending with a newline: "inputs", "iterations" (one object per
/// outer iteration), "end" (with its "fit"), "reference" when `reference`
/// is given (see reference_json.h) and "warnings". Numbers that are
/// not finite (the average of a one-zone network) are written as null.
/// Allocates; prints nothing.
std::string formatSummaryJson(const RunSummary& summary,
                              const ReferenceComparison* reference = nullptr);

}  // namespace veldmark
