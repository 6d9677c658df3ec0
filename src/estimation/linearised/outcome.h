// How a run of the linearise-and-search method ended, in the method-neutral
// terms of RunOutcome.
#pragma once

#include "estimation/estimate.h"
#include "estimation/linearised/estimation_record.h"

namespace veldmark {

/// The optimum is reached when the last average O-D flow difference fell
/// below kConvergenceTolerance and the last iteration's linear programme was
/// solved (no improving column): that programme's solution is the best
/// direction from the last table, and the line search found almost no gain
/// along it. Linear programmes of earlier iterations that were cut off do
/// not undo that test. Otherwise stoppedBecause says why, e.g. "the
/// 25-iteration limit was reached with the table still moving (last average
/// O-D flow difference 0.0127, tolerance 0.001)" or "the linear programme of
/// iteration 3 stopped at a singular basis, so the last table is not known
/// to be the optimum". Reads `record` only; allocates; prints nothing.
RunOutcome linearisedOutcome(const EstimationRecord& record);

}  // namespace veldmark
