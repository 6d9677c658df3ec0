#include "numeric/shortest_paths.h"

namespace veldmark {

// Floyd-Warshall in place: intermediate zone i outermost, then origin j, then
// destination k, each ascending. When the rounded sum D[j][i] + D[i][k] is
// strictly less than D[j][k], D[j][k] takes it and P[j][k] takes P[i][k].
// Every operand is read from the matrices at the moment it is used, so a
// value stored earlier in the same iteration (possible in row or column i
// once D[i][i] is negative) is the one seen. Ties keep the path found first;
// kUnreachable is an ordinary number; a NaN never relaxes; a negative cycle
// is not detected, all iterations simply run.
void allPairsShortestPaths(int zoneCount, ZoneIndexMatrix& predecessors, DenseMatrix& costs) {
  for (int i = 0; i < zoneCount; ++i) {
    for (int j = 0; j < zoneCount; ++j) {
      for (int k = 0; k < zoneCount; ++k) {
        const double sum = costs[j][i] + costs[i][k];
        if (sum < costs[j][k]) {
          costs[j][k] = sum;
          predecessors[j][k] = predecessors[i][k];
        }
      }
    }
  }
}

}  // namespace veldmark
