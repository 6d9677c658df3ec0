// The estimated table in the forms the options ask for besides the trip
// table file: --csv (long CSV) and --omx (OpenMatrix).
#pragma once

#include <vector>

#include "driver/run_state.h"
#include "veldmark/types.h"

namespace veldmark {

/// Writes the estimated table of `run` to options.csvPath and
/// options.omxPath, those that are given, over the pairs the trip table file
/// lists in its order. REQUIRES: the estimation succeeded and
/// the trip table file was written. Returns one
/// Status per failed writer ("FILE: cannot write: REASON"), none when all
/// succeeded or none was asked for. Prints nothing.
std::vector<Status> writeTableForms(const Run& run);

}  // namespace veldmark
