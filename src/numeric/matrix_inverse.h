// Dense matrix inverse by Gauss-Jordan elimination without partial pivoting.
#pragma once

#include "veldmark/types.h"

namespace veldmark {

/// Inverts the n x n matrix `a` into `out` by Gauss-Jordan elimination: the
/// pivot of column i is the first unused row with a nonzero entry there;
/// every other row k is updated with the factor W[k][i] / W[p][i] computed
/// once; rows are gathered into column order (first row, flags ignored, with
/// a nonzero entry in the column) and scaled by one division per entry at the
/// end. A result row whose column has no nonzero entry left is all zeros.
/// `a` is never modified; every entry of out[0..n)[0..n) is overwritten.
/// REQUIRES: a.order >= n, out.order >= n. Allocates scratch for one call only;
/// prints nothing and reports nothing.
void invertMatrix(const DenseMatrix& a, int n, DenseMatrix& out);

}  // namespace veldmark
