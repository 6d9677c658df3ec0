// Link prices from the duals of the current basis, and the zone-to-zone
// cost matrix the path search starts from.
#pragma once

#include "estimation/linearised/workspace.h"
#include "veldmark/network.h"

namespace veldmark {

/// DualValues[d] = sum over k (from 0, increasing k) of
/// BasicCosts[k] * BasisInverse[k][d]; LinkPrice[d] = -1.0 * DualValues[d].
void computeLinkPrices(EstimationWorkspace& workspace);

/// Every strictly negative LinkPrice becomes kFlowFloor (after the
/// negative-cycle test found a cycle under the prices).
void floorNegativePrices(EstimationWorkspace& workspace);

/// PathCostMatrix: 0 on the diagonal, kUnreachable elsewhere, then each
/// link's price on its zone pair in link order (the later link wins, a
/// self-link overwrites the diagonal); PathPredecessorMatrix gets i on the
/// diagonal and the from zone on each linked pair, nothing elsewhere.
void prepareShortestPaths(EstimationWorkspace& workspace, const AbstractNetwork& network);

}  // namespace veldmark
