#include "numeric/fast/sparse_scratch.h"

#include <cmath>
#include <cstddef>

#include "numeric/fast/nonzero_scan.h"
#include "numeric/fast/row_blocks.h"

namespace veldmark::fast {

bool copyNonzeros(const DenseMatrix& a, int n, double* scratch,
                  std::vector<std::vector<int>>& columnRows, ThreadTeam* team) {
  std::vector<int> start, columns;
  const bool plain = gatherRowPattern(n, team, start, columns, [&](int r, std::vector<int>& row) {
    double* copy = scratch + static_cast<std::size_t>(r) * n;
    bool finite = true;
    forEachEntryNotPlusZero(a[r], n, [&](int c, double x) {
      finite = finite && std::isfinite(x) && x != 0.0;
      copy[c] = x;
      row.push_back(c);
    });
    return finite;
  });
  // --- Each nonzero's row under its column, rows increasing --------------------
  columnRows.assign(n, {});
  for (int r = 0; r < n; ++r) {
    for (int e = start[r]; e < start[r + 1]; ++e) columnRows[columns[e]].push_back(r);
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
