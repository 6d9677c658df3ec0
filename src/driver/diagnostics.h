// What the driver says about a finished estimation beyond the console: the
// warnings on standard error and the files of --fit and --summary.
#pragma once

#include "driver/run_state.h"
#include "report/run_summary.h"

namespace veldmark {

/// The summary of `run` after its estimation (inputs, iterations, end, fit,
/// warnings, those of the reference comparison included), for every report
/// of the run. Allocates; prints nothing.
RunSummary summariseRun(const Run& run);

/// Compares the estimate with the --reference table (compareReference),
/// builds the run's summary from `run` (after the estimation, whatever
/// `exitCode` finishing gave), prints each warning on run.errors as
/// "veldmark: warning: ..." (one line each) and writes the --fit CSV and the
/// --summary JSON (with the reference comparison when there is one) and the
/// --report HTML when they were asked for, each replacing its file whole.
/// Returns `exitCode`, or 1 after printing "veldmark: FILE: cannot write:
/// reason" when one of those files cannot be written, or "veldmark: out of
/// memory while summarising the run" when memory runs out (warnings printed
/// before that stay). Never writes to run.console.
int reportDiagnostics(Run& run, int exitCode);

}  // namespace veldmark
