// Chooses, for each step of a pivot pass that has a faster twin (in
// numeric/fast and estimation/fast), between that twin and the
// straightforward reference kernel, by the run's settings
// (EstimationSettings::referenceKernels, fixed when the workspace is
// allocated). Both give the same bits; the tests hold them side by side.
#pragma once

#include <ostream>

#include "estimation/linearised/path_columns.h"
#include "estimation/linearised/workspace.h"
#include "veldmark/network.h"

namespace veldmark::chosen {

/// BasisInverse from BasisMatrix (and, on the fast path, the nonzero indexes
/// of both for the rest of the pass).
void invertBasis(EstimationWorkspace& workspace);

/// The integer check of the inverse: true when it passes.
bool checkInverse(EstimationWorkspace& workspace);

/// Prints the check matrix of a failed check.
void printInverseCheck(EstimationWorkspace& workspace, std::ostream& console);

/// DualValues and LinkPrice from BasicCosts and BasisInverse.
void computeLinkPrices(EstimationWorkspace& workspace);

/// The negative-cycle test over LinkPrice from zone 0 (labels set here).
bool hasNegativeCycle(EstimationWorkspace& workspace, const AbstractNetwork& network);

/// Floyd-Warshall over PathCostMatrix and PathPredecessorMatrix.
void allPairsShortestPaths(EstimationWorkspace& workspace);

/// Pricing of every pair against the basis.
PricingResult priceColumns(EstimationWorkspace& workspace, const AbstractNetwork& network);

/// EnteringColumn for the pair (origin, destination).
void traceEnteringColumn(EstimationWorkspace& workspace, const AbstractNetwork& network,
                         OdPair pair);

/// The ratio test's step length.
double ratioTest(const EstimationWorkspace& workspace, const AbstractNetwork& network);

/// BasicValues for the step length theta.
void updateBasicValues(EstimationWorkspace& workspace, const AbstractNetwork& network,
                       double theta);

/// The determinant of BasisMatrix.
double basisDeterminant(EstimationWorkspace& workspace);

}  // namespace veldmark::chosen
