// One pivot of the revised simplex: ratio test, new basic values, the
// leaving position, the basis change and the trip table it implies.
#pragma once

#include "estimation/linearised/workspace.h"
#include "veldmark/network.h"

namespace veldmark {

/// theta = the least q = num/den >= 0 over rows r with den > 0, where
/// num = sum_k BasisInverse[r][k] * b[k] and den = sum_k BasisInverse[r][k] *
/// EnteringColumn[k] (from 0, increasing k); kUnreachable when no row qualifies.
double ratioTest(const EstimationWorkspace& workspace, const AbstractNetwork& network);

/// BasicValues[i] = sum_j (b[j] - EnteringColumn[j] * theta) * BasisInverse[i][j].
void updateBasicValues(EstimationWorkspace& workspace, const AbstractNetwork& network,
                       double theta);

/// The last position whose basic value is the least (at most kUnreachable),
/// or -1 when every value is above kUnreachable or not a number.
int leavingPosition(const EstimationWorkspace& workspace);

/// Puts the entering pair at `leaving` with value theta, refreshes every
/// BasicCosts entry from the CostTable, and rebuilds the TripTable as the
/// sum of the basic values on their pairs (in position order).
void changeBasis(EstimationWorkspace& workspace, int leaving, OdPair entering, double theta);

}  // namespace veldmark
