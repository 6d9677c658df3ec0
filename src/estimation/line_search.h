// The bisection line search between the iteration's starting table and the
// programme's table.
#pragma once

#include "estimation/workspace.h"

namespace veldmark {

/// Brackets [SearchLower = PreviousTripTable, SearchUpper = TripTable] and
/// bisects up to kLineSearchSteps times on the sign of
/// D = sum over pairs with U + L > 0 of ln((U + L) * 0.5) * (U - L), keeping
/// the half where the sum of x (ln x - 1) decreases; a D of exactly 0 or NaN
/// ends the search. SearchMidpoint holds the last step's midpoint.
void bisectSegment(EstimationWorkspace& workspace);

/// TripTable = SearchMidpoint; CostTable rebuilt by the CostTable rule.
void takeSearchPoint(EstimationWorkspace& workspace);

/// The sum over pairs with TripTable > 0 of |Trip - Previous| / Trip,
/// divided by N * N - N (computed in double).
double averageFlowDifference(const EstimationWorkspace& workspace);

}  // namespace veldmark
