// The starting point of the estimation: observed flows on their own pairs.
#pragma once

#include <ostream>

#include "estimation/linearised/workspace.h"
#include "veldmark/network.h"

namespace veldmark {

/// Prints the estimation's start line and an empty line to `console`,
/// floors every observedFlow that is exactly 0 (either sign) to kFlowFloor
/// in `network`'s records, and builds the starting tables: each pair's
/// TripTable entry is the sum, in file order from 0.0, of the observed
/// flows of every link joining it (0 where none does), and its CostTable
/// entry follows by the CostTable rule. LinkFlows starts as the observed
/// flows: every link carries its own flow on its own one-link path.
/// REQUIRES: workspace allocated for this network.
void buildStartingTables(EstimationWorkspace& workspace, AbstractNetwork& network,
                         std::ostream& console);

}  // namespace veldmark
