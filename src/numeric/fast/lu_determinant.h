// LU determinant that skips the work which cannot change a bit.
#pragma once

#include <vector>

#include "numeric/thread_team.h"
#include "veldmark/types.h"

namespace veldmark::fast {

/// The same result as luDeterminant, bit for bit: the same Doolittle
/// factorisation without row exchanges, carried out right-looking over the
/// nonzeros only (every entry still receives its subtractions in increasing
/// k). Falls back to luDeterminant when the input holds a negative zero or a
/// non-finite value, or a non-finite value appears. `scratch` as for
/// fast::invertMatrix: all zero on entry, grown to n * n if smaller, all zero
/// on return. `a` is never modified. The copy into the scratch is shared
/// among the members of `team` (null: the calling thread alone; the same
/// result for any team); the factorisation runs on the calling thread.
double luDeterminant(const DenseMatrix& a, int n, std::vector<double>& scratch,
                     ThreadTeam* team = nullptr);

}  // namespace veldmark::fast
