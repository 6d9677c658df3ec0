// The zone pairs a balancing works on and their prior trips: every pair off
// the diagonal whose prior cell holds trips (a zero cell is a structural
// zero: it stays zero, and the balancing never sees it).
#pragma once

#include <vector>

#include "assignment/route_set.h"

namespace veldmark {

struct PriorPairs {
  std::vector<ZonePair> pairs;  // origin-major, destination-minor zone order
  std::vector<double> prior;    // t per pair (> 0)
  double diagonalTrips = 0.0;   // Σ of the diagonal (trips within a zone)
};

/// The pairs of the N x N table `prior` (zone order, row after row) whose
/// cell is above 0, off the diagonal. Allocates; prints nothing.
/// REQUIRES: every cell finite and >= 0.
PriorPairs priorPairs(const std::vector<double>& prior, int zones);

/// Every pair off the diagonal of `zones` zones, each with `level` trips:
/// the flat prior of a run without one.
PriorPairs flatPairs(int zones, double level);

/// The N x N table (row after row) of `values` on `pairs`, `diagonal` on its
/// diagonal (or 0 when empty), 0 elsewhere. Fails only when the storage
/// cannot be had (then `table` is empty). Prints nothing.
bool tableOfPairs(const PriorPairs& pairs, const std::vector<double>& values,
                  const std::vector<double>& diagonal, int zones, DenseMatrix& table);

}  // namespace veldmark
