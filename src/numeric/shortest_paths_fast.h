// Faster paths for the two path-search kernels, bit for bit the same results.
#pragma once

#include "veldmark/types.h"

namespace veldmark {

/// The same as allPairsShortestPaths. In an iteration whose intermediate i
/// has D[i][i] >= 0, row i and column i cannot change, so every origin row
/// is updated independently: with vector instructions (AVX2 where the
/// processor has it, chosen at run time), and not at all when no entry of
/// the row can improve: when D[j][i] + min(row i) >= the largest entry of D.
/// Other iterations run the scalar loop. Allocates nothing.
void allPairsShortestPathsFast(int zoneCount, ZoneIndexMatrix& predecessors, DenseMatrix& costs);

/// The same as detectNegativeCycle, result and labels: it stops as soon as a
/// whole pass changes no label, since every later pass and the checking pass
/// would then see the same labels and change nothing either.
bool detectNegativeCycleFast(int linkCount, const LinkZoneEnds* links, const double* costs,
                             int zoneCount, double* labels);

}  // namespace veldmark
