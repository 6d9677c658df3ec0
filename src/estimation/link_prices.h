// Link prices from the duals of the current basis, and the zone-to-zone
// cost matrix the path search starts from.
#pragma once

#include "estimation/workspace.h"
#include "veldmark/network.h"

namespace veldmark {

/// DualValues[d] = sum over k (from 0, increasing k) of
/// BasicCosts[k] * BasisInverse[k][d]; LinkPrice[d] = -1.0 * DualValues[d].
void computeLinkPrices(EstimationWorkspace& workspace);

/// Runs the negative-cycle test from zone 0 with LinkPrice as costs (labels
/// kUnreachable, zone 0 at 0); when it finds a cycle, every strictly
/// negative LinkPrice becomes kFlowFloor.
void floorPricesOnNegativeCycle(EstimationWorkspace& workspace, const AbstractNetwork& network);

/// PathCostMatrix: 0 on the diagonal, kUnreachable elsewhere, then each
/// link's price on its zone pair in link order (the later link wins, a
/// self-link overwrites the diagonal); PathPredecessorMatrix gets i on the
/// diagonal and the from zone on each linked pair, nothing elsewhere.
void prepareShortestPaths(EstimationWorkspace& workspace, const AbstractNetwork& network);

}  // namespace veldmark
