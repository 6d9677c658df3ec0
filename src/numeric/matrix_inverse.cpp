#include "numeric/matrix_inverse.h"

#include <cstddef>
#include <vector>

namespace veldmark {

// Gauss-Jordan elimination without partial pivoting, on a working copy W of
// the matrix while the caller's output serves as the working inverse V
// (started at the identity). For each column i in order, the pivot is the
// first row whose used flag is clear and whose W[j][i] is nonzero (exact
// comparison with 0.0, so a NaN or a rounding residue qualifies); a column
// without one is skipped. Every other row k, used or not, is reduced with the
// factor f = W[k][i] / W[p][i], computed once before the row changes, by
// W[k][l] - f * W[p][l] and V[k][l] - f * V[p][l] over all columns l, the
// product rounded before the subtraction. The pivot row is left as it is and
// flagged. Afterwards, row i of the result is gathered from the first row j
// (flags ignored) with W[j][i] nonzero and divided entry by entry by that
// W[j][i]; all rows are gathered into a buffer before the output is written.
// A column with no nonzero entry left gives an all-zero result row.
void invertMatrix(const DenseMatrix& a, int n, DenseMatrix& out) {
  const std::size_t size = static_cast<std::size_t>(n);
  std::vector<double> work(size * size);
  std::vector<double> gathered(size * size);
  std::vector<double> divisor(size);
  std::vector<bool> used(size, false);
  auto w = [&](int row) { return work.data() + static_cast<std::size_t>(row) * size; };
  auto g = [&](int row) { return gathered.data() + static_cast<std::size_t>(row) * size; };

  for (int row = 0; row < n; ++row) {
    for (int col = 0; col < n; ++col) {
      w(row)[col] = a[row][col];
    }
  }
  for (int row = 0; row < n; ++row) {
    for (int col = 0; col < n; ++col) {
      out[row][col] = 0.0;
    }
    out[row][row] = 1.0;
  }

  for (int i = 0; i < n; ++i) {
    int p = -1;
    for (int j = 0; j < n; ++j) {
      if (!used[j] && w(j)[i] != 0.0) {
        p = j;
        break;
      }
    }
    if (p < 0) {
      continue;
    }
    for (int k = 0; k < n; ++k) {
      if (k == p) {
        continue;
      }
      const double f = w(k)[i] / w(p)[i];
      for (int l = 0; l < n; ++l) {
        const double workProduct = f * w(p)[l];
        w(k)[l] = w(k)[l] - workProduct;
        const double inverseProduct = f * out[p][l];
        out[k][l] = out[k][l] - inverseProduct;
      }
    }
    used[p] = true;
  }

  for (int i = 0; i < n; ++i) {
    int source = -1;
    for (int j = 0; j < n; ++j) {
      if (w(j)[i] != 0.0) {
        source = j;
        break;
      }
    }
    if (source < 0) {
      for (int l = 0; l < n; ++l) {
        g(i)[l] = 0.0;
      }
      divisor[i] = 0.0;
      continue;
    }
    for (int l = 0; l < n; ++l) {
      g(i)[l] = out[source][l];
    }
    divisor[i] = w(source)[i];
  }

  for (int i = 0; i < n; ++i) {
    if (divisor[i] == 0.0) {
      continue;  // no source row: the row stays all zeros
    }
    for (int l = 0; l < n; ++l) {
      g(i)[l] = g(i)[l] / divisor[i];
    }
  }

  for (int row = 0; row < n; ++row) {
    for (int col = 0; col < n; ++col) {
      out[row][col] = g(row)[col];
    }
  }
}

}  // namespace veldmark
