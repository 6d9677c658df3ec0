// The starting point of the estimation: observed flows on their own pairs.
#pragma once

#include <ostream>

#include "estimation/workspace.h"
#include "veldmark/network.h"

namespace veldmark {

/// The CostTable rule for one entry: ln(flow) where flow > 0 (NaN is not
/// positive); otherwise 0.0 on the diagonal and kLogOfZero off it.
double costOfFlow(double flow, bool diagonal);

/// Prints the estimation's start line and an empty line to `console`,
/// clears TripTable (0) and CostTable (kLogOfZero, diagonal 0), floors every
/// observedFlow that is exactly 0 (either sign) to kFlowFloor in `network`'s
/// records, and gives each linked pair the flow of the last link joining it
/// and its logarithm. REQUIRES: workspace allocated for this network.
void buildStartingTables(EstimationWorkspace& workspace, AbstractNetwork& network,
                         std::ostream& console);

}  // namespace veldmark
