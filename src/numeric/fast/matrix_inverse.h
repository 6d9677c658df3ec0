// Gauss-Jordan inverse that skips the work which cannot change a bit.
#pragma once

#include <vector>

#include "numeric/thread_team.h"
#include "veldmark/types.h"

namespace veldmark::fast {

/// The same result as invertMatrix, bit for bit, in time that follows the
/// nonzeros of the matrix rather than n^3. Falls back to invertMatrix when
/// the input holds a negative zero or a non-finite value, or when a
/// non-finite value appears during the elimination. `scratch` is the caller's
/// working storage, kept between calls so that no call pays for fresh pages:
/// REQUIRES all its entries zero; it is grown to n * n if smaller and left
/// all zero again. `a` is never modified; every entry of out[0..n)[0..n) is
/// overwritten. The row-by-row work around the elimination (the copy, the
/// identity, the final scaling) is shared among the members of `team` (null:
/// the calling thread alone), each row done whole by one, so the result is
/// the same for any team; the elimination runs on the calling thread.
void invertMatrix(const DenseMatrix& a, int n, DenseMatrix& out, std::vector<double>& scratch,
                  ThreadTeam* team = nullptr);

}  // namespace veldmark::fast
