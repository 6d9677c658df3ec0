// The bisection line search between the iteration's starting table and the
// programme's table.
#pragma once

#include "estimation/linearised/workspace.h"

namespace veldmark {

// What a line search did.
struct LineSearchResult {
  int steps = 0;      // bisection steps carried out, the one that ended the search included
  double step = 0.0;  // the point taken, as a fraction of the segment from the old table
};

/// Brackets [SearchLower = PreviousTripTable, SearchUpper = TripTable] and
/// bisects up to kLineSearchSteps times on the sign of
/// D = sum over pairs with U + L > 0 of ln((U + L) * 0.5) * (U - L), keeping
/// the half where the sum of x (ln x - 1) decreases; a D of exactly 0 or NaN
/// ends the search. SearchMidpoint holds the last step's midpoint. The link
/// flows move alike: from SearchLowerLinkFlows (the old table's) and
/// SearchUpperLinkFlows (the programme's), both set by the caller, the last
/// step's midpoint lands in LinkFlows.
LineSearchResult bisectSegment(EstimationWorkspace& workspace);

/// TripTable = SearchMidpoint; CostTable rebuilt by the CostTable rule.
void takeSearchPoint(EstimationWorkspace& workspace);

}  // namespace veldmark
