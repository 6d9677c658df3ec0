// Determinant from a Doolittle LU factorisation without row exchanges.
#pragma once

#include "veldmark/types.h"

namespace veldmark {

/// Returns the product U[0][0] * ... * U[n-1][n-1] (starting from 1.0) of the
/// Doolittle factorisation of the n x n matrix `a`, made without row
/// exchanges; where a pivot U[i][i] is exactly zero, the multipliers of that
/// column are divided by kZeroPivotSubstitute instead, and the zero stays on
/// the diagonal. n = 0 gives 1.0. `a` is never modified. Allocates scratch for
/// one call only; prints nothing.
double luDeterminant(const DenseMatrix& a, int n);

}  // namespace veldmark
