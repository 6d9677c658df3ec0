// The linearise-and-search method from the abstract network to an Estimate:
// the workspace, the starting tables, the outer iterations.
#pragma once

#include <ostream>

#include "estimation/estimate.h"
#include "estimation/linearised/settings.h"
#include "veldmark/network.h"

namespace veldmark {

/// Allocates the workspace for `network` (failing with its message before
/// anything is printed), prints the start line, floors zero counts and
/// builds the starting tables (buildStartingTables), runs the outer
/// iterations with their console (runOuterIterations), then moves the table,
/// the flow on each abstract link, the record and its outcome
/// (linearisedOutcome) into `estimate` (its zones: the ZoneList). The workspace and its threads are
/// gone on return. Throws std::bad_alloc when memory runs out after the start line.
Status estimateLinearised(AbstractNetwork& network, const EstimationSettings& settings,
                          std::ostream& console, Estimate& estimate);

}  // namespace veldmark
