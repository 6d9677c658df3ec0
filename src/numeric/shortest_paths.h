// Floyd-Warshall all-pairs shortest paths with predecessors, in place.
#pragma once

#include "veldmark/types.h"

namespace veldmark {

/// For i (intermediate), j (origin), k (destination), each 0..zoneCount-1 in
/// that nesting: if D[j][i] + D[i][k] < D[j][k] (strictly), D[j][k] takes the
/// sum and P[j][k] takes P[i][k]. Every read sees the latest stored value; no
/// negative-cycle test. REQUIRES: the caller prepared D (`costs`) and P
/// (`predecessors`). Allocates nothing, prints nothing.
void allPairsShortestPaths(int zoneCount, ZoneIndexMatrix& predecessors, DenseMatrix& costs);

}  // namespace veldmark
