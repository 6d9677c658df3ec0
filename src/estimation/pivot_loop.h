// The column-generation pivot loop that solves one linear programme.
#pragma once

#include <ostream>

#include "estimation/workspace.h"
#include "veldmark/network.h"

namespace veldmark {

/// Pivots from the basis the caller set up (Basis, BasicValues, BasicCosts,
/// BasisMatrix, PivotCounter = 0) until no column prices below zero, the
/// pass cap kMaxPivotPasses is reached, no leaving position exists, or the
/// basis matrix turns singular. Prints one "." per pass started and the
/// inverse check matrix when that check fails. Leaves in the TripTable the
/// flows of the final basis (unchanged when no pivot happened).
void runPivotLoop(EstimationWorkspace& workspace, const AbstractNetwork& network,
                  std::ostream& console);

}  // namespace veldmark
