// The pivot loop's products with the basis inverse, over its nonzeros only.
// Each gives bit for bit what its dense counterpart gives: the sums start at
// +0.0 and never hold -0.0 (x + y is -0 only when both are -0), so leaving
// out a term that is +-0 (a finite value times zero) changes no bit. Each
// falls back to the dense loop when a value it would skip with is not finite.
// REQUIRES: indexBasisAndInverse has run on this pass's basis and inverse.
#pragma once

#include <ostream>

#include "estimation/linearised/workspace.h"
#include "veldmark/network.h"

namespace veldmark::fast {

/// As formInverseCheck: true when the integer accumulators form the
/// identity. InverseCheckMatrix is not written (only a failing check is ever
/// seen, through fast::printInverseCheck), which keeps its L x L pages
/// untouched on a large network. The rows are checked by the members of
/// workspace.Team, each row whole by one.
bool inverseCheckPasses(EstimationWorkspace& workspace);

/// Prints the check matrix as printInverseCheck does, one row computed at a
/// time. REQUIRES: the check was computed on these matrices.
void printInverseCheck(EstimationWorkspace& workspace, std::ostream& console);

/// As computeLinkPrices.
void computeLinkPrices(EstimationWorkspace& workspace);

/// As ratioTest.
double ratioTest(const EstimationWorkspace& workspace, const AbstractNetwork& network);

/// As updateBasicValues.
void updateBasicValues(EstimationWorkspace& workspace, const AbstractNetwork& network,
                       double theta);

}  // namespace veldmark::fast
