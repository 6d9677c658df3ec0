// The outer iteration: linearise, solve the programme, bisect the segment.
#pragma once

#include <ostream>

#include "estimation/linearised/estimation_record.h"
#include "estimation/linearised/workspace.h"
#include "veldmark/network.h"

namespace veldmark {

/// Runs up to kMaxOuterIterations outer iterations from the starting tables,
/// each with its console header, the pivot loop's dots, the 20-step
/// bisection and the average O-D flow difference line; stops once the
/// average is strictly below kConvergenceTolerance, then prints "\n".
/// On return TripTable holds the estimate, CostTable its logarithms and
/// LinkFlows the flow it puts on each abstract link. Returns the record of
/// every iteration. REQUIRES: buildStartingTables has run.
EstimationRecord runOuterIterations(EstimationWorkspace& workspace, const AbstractNetwork& network,
                                    std::ostream& console);

// How the new table of an iteration compares with the old one.
struct TableMeasures {
  double average = 0.0;    // the average O-D flow difference
  double objective = 0.0;  // the sum of x (ln x - 1) over the pairs with flow
};

/// In one row-major pass over the pairs with TripTable > 0: the average O-D
/// flow difference, the sum of |Trip - Previous| / Trip divided by N * N - N
/// (computed in double), and the objective, the sum of x (ln x - 1) with
/// ln x read from the CostTable. REQUIRES: CostTable follows the TripTable.
TableMeasures measureTable(const EstimationWorkspace& workspace);

}  // namespace veldmark
