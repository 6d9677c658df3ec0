#include "numeric/fast/lu_determinant.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#include "numeric/fast/sparse_scratch.h"
#include "numeric/lu_determinant.h"

namespace veldmark::fast {

// Why this equals the Doolittle order. Entry (i, j) of the working copy
// receives at step k (k < min(i, j)) the subtraction L[i][k] * U[k][j], where
// row k of U and column k of L are final by then: the same products, in the
// same increasing k, as U[i][j] = A[i][j] - sum_k L[i][k] U[k][j] and
// L[j][i] = (A[j][i] - sum_k L[j][k] U[k][i]) / U[i][i]. A zero L[i][k] or
// U[k][j] gives a product of +-0, and x - (+-0) == x while x is not -0; U
// never holds -0 (it starts without one and x - y is -0 only for x = -0).
// L may hold -0 (0 / negative pivot), but L only ever enters products, so a
// skipped zero multiplier changes no entry that is read. The determinant
// reads the diagonal of U alone.

namespace {

struct Factorisation {
  int n = 0;
  double* a = nullptr;                       // n x n working copy (the caller's scratch)
  std::vector<std::vector<int>> columnRows;  // rows that may hold a nonzero per column
  std::vector<int> stamp;
  int generation = 0;

  double* row(int r) { return a + static_cast<std::size_t>(r) * n; }
};

// The rows below `k` with a nonzero in column k, once each.
void rowsBelow(Factorisation& f, int k, std::vector<int>& rows) {
  rows.clear();
  const int generation = ++f.generation;
  for (int r : f.columnRows[k]) {
    if (r <= k || f.stamp[r] == generation || f.row(r)[k] == 0.0) continue;
    f.stamp[r] = generation;
    rows.push_back(r);
  }
}

// Step k: multipliers of column k, then the update of the trailing rows.
bool eliminateColumn(Factorisation& f, int k, std::vector<int>& rows, std::vector<int>& pivotRow) {
  const double* uk = f.row(k);
  const double pivot = uk[k] != 0.0 ? uk[k] : kZeroPivotSubstitute;
  pivotRow.clear();
  for (int j = k + 1; j < f.n; ++j) {
    if (uk[j] != 0.0) pivotRow.push_back(j);
  }
  rowsBelow(f, k, rows);
  bool finite = true;
  for (int i : rows) {
    double* ai = f.row(i);
    const double multiplier = ai[k] / pivot;
    ai[k] = multiplier;
    finite = finite && std::isfinite(multiplier);
    for (int j : pivotRow) {
      const double before = ai[j];
      ai[j] = before - multiplier * uk[j];
      finite = finite && std::isfinite(ai[j]);
      if (before == 0.0 && ai[j] != 0.0) f.columnRows[j].push_back(i);
    }
  }
  return finite;
}

}  // namespace

double luDeterminant(const DenseMatrix& a, int n, std::vector<double>& scratch, ThreadTeam* team) {
  const std::size_t size = static_cast<std::size_t>(n) * n;
  if (scratch.size() < size) scratch.resize(size, 0.0);
  Factorisation f;
  f.n = n;
  f.a = scratch.data();
  if (!copyNonzeros(a, n, f.a, f.columnRows, team)) return veldmark::luDeterminant(a, n);
  f.stamp.assign(n, -1);
  std::vector<int> rows, pivotRow;
  bool finite = true;
  for (int k = 0; k < n && finite; ++k) finite = eliminateColumn(f, k, rows, pivotRow);
  double determinant = 1.0;
  for (int i = 0; i < n && finite; ++i) determinant = determinant * f.row(i)[i];
  clearListed(f.a, f.n, f.columnRows);
  return finite ? determinant : veldmark::luDeterminant(a, n);
}

}  // namespace veldmark::fast
