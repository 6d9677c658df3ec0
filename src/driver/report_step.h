// The driver's part of --reference and --report: reading the reference
// table with the inputs, comparing it with the estimate, adding what the
// comparison warns about to the run's summary, and writing the HTML report.
#pragma once

#include "driver/run_state.h"
#include "report/run_summary.h"
#include "veldmark/types.h"

namespace veldmark {

/// Reads the table named by --reference into run.reference (nothing without
/// the option). Fails as readReferenceTable. Prints nothing.
Status readReference(Run& run);

/// Compares the estimate (the TripTable over the ZoneList) with
/// run.reference into run.comparison. Nothing without --reference. Never
/// fails; prints nothing.
void compareReference(Run& run);

/// Appends the comparison's warnings (zones missing on either side) to
/// summary.warnings. Nothing without a comparison. Prints nothing.
void addReferenceWarnings(const Run& run, RunSummary& summary);

/// Writes the HTML report named by --report from `summary` and the run's
/// table and comparison (nothing without the option); it says whether the
/// trip table was written (run.tableWritten), never claiming it was when
/// writing it failed. REQUIRES
/// run.tripTablePath settled. Returns `exitCode`, or 1 after printing
/// "veldmark: FILE: reason" on run.errors when the file cannot be written.
/// Never writes to run.console.
int writeReport(const Run& run, const RunSummary& summary, int exitCode);

}  // namespace veldmark
