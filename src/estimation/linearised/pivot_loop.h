// The column-generation pivot loop that solves one linear programme.
#pragma once

#include <ostream>

#include "estimation/linearised/estimation_record.h"
#include "estimation/linearised/workspace.h"
#include "veldmark/network.h"

namespace veldmark {

/// Sets up the basis every pivot loop starts from, the link basis: column v
/// is link v's own pair (Basis), carrying its observed flow (BasicValues) at
/// its CostTable entry (BasicCosts); BasisMatrix is the identity and
/// PivotCounter 0. REQUIRES: the CostTable is set. Prints nothing.
void resetToLinkBasis(EstimationWorkspace& workspace, const AbstractNetwork& network);

/// Pivots from the basis the caller set up (Basis, BasicValues, BasicCosts,
/// BasisMatrix, PivotCounter = 0) until no column prices below zero, the
/// pass cap kMaxPivotPasses is reached, no leaving position exists, or the
/// basis matrix turns singular. Prints one "." per pass started and the
/// inverse check matrix when that check fails; calls settings.onPass as each
/// pass starts. Leaves in the TripTable the flows of the final basis
/// (unchanged when no pivot happened). Returns why it stopped and the
/// counts of its passes, pivots and unusual paths.
PivotLoopResult runPivotLoop(EstimationWorkspace& workspace, const AbstractNetwork& network,
                             std::ostream& console);

}  // namespace veldmark
