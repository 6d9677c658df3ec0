#include "numeric/lu_determinant.h"

#include <cstddef>
#include <vector>

namespace veldmark {

// Doolittle LU factorisation without row exchanges: L is unit lower
// triangular, U upper triangular. For each i in order, first the row
// U[i][j] = A[i][j] - L[i][0]*U[0][j] - ... - L[i][i-1]*U[i-1][j] for j >= i,
// then the column L[j][i] = (A[j][i] - L[j][0]*U[0][i] - ...) / U[i][i] for
// j > i; each product is rounded and subtracted in turn, k ascending. A pivot
// U[i][i] that is exactly 0.0 is replaced by kZeroPivotSubstitute for that
// division only and stays 0 on the diagonal. The result is 1.0 multiplied by
// U[0][0], U[1][1], ... in that order, so a zero pivot gives a zero (of either
// sign) unless another factor is infinite or NaN.
double luDeterminant(const DenseMatrix& a, int n) {
  const std::size_t size = static_cast<std::size_t>(n);
  std::vector<double> lower(size * size, 0.0);
  std::vector<double> upper(size * size, 0.0);
  auto l = [&](int row) { return lower.data() + static_cast<std::size_t>(row) * size; };
  auto u = [&](int row) { return upper.data() + static_cast<std::size_t>(row) * size; };
  for (int i = 0; i < n; ++i) {
    l(i)[i] = 1.0;
  }

  for (int i = 0; i < n; ++i) {
    for (int j = i; j < n; ++j) {
      u(i)[j] = a[i][j];
      for (int k = 0; k < i; ++k) {
        const double product = l(i)[k] * u(k)[j];
        u(i)[j] = u(i)[j] - product;
      }
    }
    const double pivot = u(i)[i] != 0.0 ? u(i)[i] : kZeroPivotSubstitute;
    for (int j = i + 1; j < n; ++j) {
      l(j)[i] = a[j][i];
      for (int k = 0; k < i; ++k) {
        const double product = l(j)[k] * u(k)[i];
        l(j)[i] = l(j)[i] - product;
      }
      l(j)[i] = l(j)[i] / pivot;
    }
  }

  double determinant = 1.0;
  for (int i = 0; i < n; ++i) {
    determinant = determinant * u(i)[i];
  }
  return determinant;
}

}  // namespace veldmark
