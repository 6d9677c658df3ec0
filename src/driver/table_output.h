// The driver's last step before the finishing lines: the estimate checked,
// then written where the user asked for it.
#pragma once

#include "driver/run_state.h"
#include "veldmark/types.h"

namespace veldmark {

/// Flushes run.console, refuses a table that is not finite
/// (checkTableIsFinite, table_checks.h), then writes the trip table to
/// run.tripTablePath: through standard output when that path is standard
/// output's own regular file (so the file holds the console, the table, then
/// the finishing lines), through writeTripTable otherwise. Returns the
/// failure to report; prints nothing itself.
Status writeTripTableFile(Run& run);

}  // namespace veldmark
