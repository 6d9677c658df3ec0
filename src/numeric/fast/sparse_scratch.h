// The working copy the sparse kernels eliminate in: the caller's n x n
// scratch, all zero between calls, with per column the rows that may hold a
// nonzero so that only those entries are ever visited or cleared.
#pragma once

#include <vector>

#include "numeric/thread_team.h"
#include "veldmark/types.h"

namespace veldmark::fast {

/// Copies the nonzero entries of a[0..n)[0..n) into `scratch` (row-major,
/// REQUIRES all zero and at least n * n entries) and lists each nonzero's row
/// under its column in `columnRows` (n lists, increasing rows). Returns false,
/// with `scratch` all zero again, when an entry is not finite or is -0.0:
/// then skipping zero terms would not be provably exact. The rows are
/// scanned by the members of `team` (null: the calling thread alone); the
/// result is the same for any team.
bool copyNonzeros(const DenseMatrix& a, int n, double* scratch,
                  std::vector<std::vector<int>>& columnRows, ThreadTeam* team);

/// Zeroes every entry of `scratch` listed in `columnRows` (a superset of the
/// entries ever written), restoring the all-zero state.
void clearListed(double* scratch, int n, const std::vector<std::vector<int>>& columnRows);

}  // namespace veldmark::fast
