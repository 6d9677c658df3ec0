// The warnings of a run: what a planner must know before trusting the table,
// though nothing stopped the run. Each is one line; the driver prints them
// on standard error after "veldmark: warning: ".
#pragma once

#include <vector>

#include "report/run_summary.h"

namespace veldmark {

/// Returns the run's warnings, in this order: the first five flow lines that
/// name no abstract link (FLOWS:LINE) and how many more; the abstract links
/// no flow line names (how many, the first five by line); an estimation that
/// ended at the iteration limit without reaching the tolerance; pivot loops
/// that ended at the pass cap, at a singular basis or without a leaving
/// position (the iterations of each); failed inverse checks; links whose
/// estimated flow is off the count (summary.fitStatistics.linksOff > 0),
/// naming the worst; last, a run whose average fell below the tolerance
/// but which did not reach its optimum (summary.outcome), as "stopped ...,
/// not converged" with the reason. Reads summary.inputs, iterations,
/// outcome, fit and fitStatistics and the estimate's record. Allocates;
/// prints nothing.
std::vector<Warning> collectWarnings(const RunPieces& pieces, const RunSummary& summary);

}  // namespace veldmark
