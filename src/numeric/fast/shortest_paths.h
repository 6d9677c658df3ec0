// Faster paths for the two path-search kernels, bit for bit the same results.
#pragma once

#include "veldmark/types.h"

namespace veldmark::fast {

/// The same as allPairsShortestPaths. In an iteration whose intermediate i
/// has D[i][i] >= 0, row i and column i cannot change, so every origin row
/// is updated independently: with vector instructions (AVX2 where the
/// processor has it, chosen at run time), and not at all when no entry of
/// the row can improve: when D[j][i] + min(row i) >= the largest entry of D.
/// Other iterations run the scalar loop. Allocates nothing.
void allPairsShortestPaths(int zoneCount, ZoneIndexMatrix& predecessors, DenseMatrix& costs);

}  // namespace veldmark::fast
