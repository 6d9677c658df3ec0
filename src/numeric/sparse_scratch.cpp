#include "numeric/sparse_scratch.h"

#include <cmath>
#include <cstddef>

namespace veldmark {

bool copyNonzeros(const DenseMatrix& a, int n, double* scratch,
                  std::vector<std::vector<int>>& columnRows) {
  columnRows.assign(n, {});
  for (int r = 0; r < n; ++r) {
    const double* row = a[r];
    double* copy = scratch + static_cast<std::size_t>(r) * n;
    for (int c = 0; c < n; ++c) {
      const double x = row[c];
      if (x == 0.0 && !std::signbit(x)) continue;
      if (!std::isfinite(x) || x == 0.0) {
        clearListed(scratch, n, columnRows);
        return false;
      }
      copy[c] = x;
      columnRows[c].push_back(r);
    }
  }
  return true;
}

void clearListed(double* scratch, int n, const std::vector<std::vector<int>>& columnRows) {
  for (int c = 0; c < n; ++c) {
    for (int r : columnRows[c]) scratch[static_cast<std::size_t>(r) * n + c] = 0.0;
  }
}

}  // namespace veldmark
