// Nonzero patterns of the basis and its inverse, taken once per pass.
#pragma once

#include "estimation/linearised/workspace.h"

namespace veldmark::fast {

/// Fills Scratch.inverseRows from BasisInverse and sets plainInverse (every
/// entry finite); fills Scratch.basisRows and basisColumns from
/// BasisMatrix and sets zeroOneBasis (entries only +0.0 and 1.0). The rows
/// are scanned by the members of workspace.Team, with the same result.
void indexBasisAndInverse(EstimationWorkspace& workspace);

/// The zero/one columns of BasisMatrix by the hash of their link sets.
void indexBasicColumns(EstimationWorkspace& workspace);

/// Order-sensitive hash of a sorted list of link positions.
std::uint64_t hashLinkSet(const int* links, int count);

}  // namespace veldmark::fast
