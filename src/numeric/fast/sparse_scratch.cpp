#include "numeric/fast/sparse_scratch.h"

#include <cmath>
#include <cstddef>

#include "numeric/fast/nonzero_scan.h"

namespace veldmark::fast {

bool copyNonzeros(const DenseMatrix& a, int n, double* scratch,
                  std::vector<std::vector<int>>& columnRows) {
  columnRows.assign(n, {});
  bool plain = true;
  for (int r = 0; r < n && plain; ++r) {
    double* copy = scratch + static_cast<std::size_t>(r) * n;
    forEachEntryNotPlusZero(a[r], n, [&](int c, double x) {
      plain = plain && std::isfinite(x) && x != 0.0;
      copy[c] = x;
      columnRows[c].push_back(r);
    });
  }
  if (!plain) {
    clearListed(scratch, n, columnRows);
    return false;
  }
  return true;
}

void clearListed(double* scratch, int n, const std::vector<std::vector<int>>& columnRows) {
  for (int c = 0; c < n; ++c) {
    for (int r : columnRows[c]) scratch[static_cast<std::size_t>(r) * n + c] = 0.0;
  }
}

}  // namespace veldmark::fast
