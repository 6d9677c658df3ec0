// The outer iteration: linearise, solve the programme, bisect the segment.
#pragma once

#include <ostream>

#include "estimation/workspace.h"
#include "veldmark/network.h"

namespace veldmark {

/// Runs up to kMaxOuterIterations outer iterations from the starting tables,
/// each with its console header, the pivot loop's dots, the 20-step
/// bisection and the average O-D flow difference line; stops once the
/// average is strictly below kConvergenceTolerance, then prints "\n".
/// On return TripTable holds the estimate and CostTable its logarithms.
void runOuterIterations(EstimationWorkspace& workspace, const AbstractNetwork& network,
                        std::ostream& console);

}  // namespace veldmark
