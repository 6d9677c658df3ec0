// Faster paths for the two path-search kernels, bit for bit the same results.
#pragma once

#include "numeric/thread_team.h"
#include "veldmark/types.h"

namespace veldmark::fast {

/// The same as allPairsShortestPaths. In an iteration whose intermediate i
/// has D[i][i] >= 0, row i and column i cannot change, so every origin row
/// is updated independently: with vector instructions (AVX2 where the
/// processor has it, chosen at run time), and not at all when no entry of
/// the row can improve: when D[j][i] + min(row i) >= the largest entry of D.
/// Other iterations run the scalar loop. The origin rows of an iteration are
/// shared among the members of `team` (null: the calling thread alone), each
/// row relaxed whole by one member, so the result is the same for any team.
/// Allocates only an index list of N entries.
void allPairsShortestPaths(int zoneCount, ZoneIndexMatrix& predecessors, DenseMatrix& costs,
                           ThreadTeam* team);

}  // namespace veldmark::fast
