#include "numeric/fast/matrix_inverse.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#include "numeric/fast/nonzero_scan.h"
#include "numeric/fast/row_blocks.h"
#include "numeric/fast/sparse_scratch.h"
#include "numeric/matrix_inverse.h"

namespace veldmark::fast {

// Why skipping is exact. The elimination updates x = x - f*y entry by entry.
// While every value is finite: a product with a zero factor or a zero y is
// +0 or -0, and x - (+-0) == x bit for bit unless x is -0. No -0 can arise:
// W and V start from entries without -0 (checked on entry, the identity has
// none), and x - y gives -0 only when x is -0 (an exact cancellation x == y
// gives +0 under round-to-nearest). So a row whose factor W[k][i] is zero,
// and the entries of the pivot row that are zero, change nothing and are
// skipped. The first non-finite value voids the argument: the dense
// reference then recomputes the whole inverse from the untouched input.

namespace {

struct Elimination {
  int n = 0;
  double* w = nullptr;                       // n x n working copy (the caller's scratch)
  std::vector<std::vector<int>> columnRows;  // every row that held a nonzero in each column
  std::vector<int> stamp;                    // de-duplicates a column's row list
  int generation = 0;                        // the current compaction's stamp
  std::vector<char> used;

  double* row(int r) { return w + static_cast<std::size_t>(r) * n; }
};

// V = identity.
void setIdentity(DenseMatrix& v, int n, ThreadTeam* team) {
  forEachChunk(team, n, chunkRows(team, n), [&](int first, int end, int) {
    for (int r = first; r < end; ++r) {
      std::memset(v[r], 0, sizeof(double) * n);
      v[r][r] = 1.0;
    }
  });
}

// The rows of column i's list whose entry there is nonzero, once each, in
// increasing order.
void compactColumn(Elimination& e, int i, std::vector<int>& rows) {
  rows.clear();
  const int generation = ++e.generation;
  for (int r : e.columnRows[i]) {
    if (e.stamp[r] == generation || e.row(r)[i] == 0.0) continue;
    e.stamp[r] = generation;
    rows.push_back(r);
  }
  std::sort(rows.begin(), rows.end());
}

// row k -= f * row p over the pivot row's nonzero columns; records fill-in.
bool reduceRow(Elimination& e, DenseMatrix& v, int k, int p, int i, const std::vector<int>& pivotW,
               const std::vector<int>& pivotV) {
  double* wk = e.row(k);
  const double* wp = e.row(p);
  const double f = wk[i] / wp[i];
  bool finite = std::isfinite(f);
  for (int l : pivotW) {
    const double before = wk[l];
    wk[l] = before - f * wp[l];
    finite = finite && std::isfinite(wk[l]);
    if (before == 0.0 && wk[l] != 0.0) e.columnRows[l].push_back(k);
  }
  double* vk = v[k];
  const double* vp = v[p];
  for (int l : pivotV) {
    vk[l] = vk[l] - f * vp[l];
    finite = finite && std::isfinite(vk[l]);
  }
  return finite;
}

void nonzeroColumns(const double* row, int n, std::vector<int>& columns) {
  columns.clear();
  forEachEntryNotPlusZero(row, n, [&](int l, double) { columns.push_back(l); });
}

// The elimination over all columns; false when a non-finite value appeared.
bool eliminate(Elimination& e, DenseMatrix& v) {
  std::vector<int> rows, pivotW, pivotV;
  for (int i = 0; i < e.n; ++i) {
    compactColumn(e, i, rows);
    int p = -1;
    for (int r : rows) {
      if (!e.used[r]) {
        p = r;
        break;
      }
    }
    if (p < 0) continue;
    e.used[p] = 1;
    if (rows.size() == 1) continue;  // no other row to reduce: the pivot row's columns unneeded
    nonzeroColumns(e.row(p), e.n, pivotW);
    nonzeroColumns(v[p], e.n, pivotV);
    for (int k : rows) {
      if (k != p && !reduceRow(e, v, k, p, i, pivotW, pivotV)) return false;
    }
  }
  return true;
}

// new row i = old row source[i] for a permutation, one cycle at a time; a
// row that stays where it is is not touched (the usual case: every row).
void permuteRows(DenseMatrix& v, int n, const std::vector<int>& source) {
  std::vector<double> held(static_cast<std::size_t>(n));
  std::vector<char> placed(n, 0);
  const std::size_t bytes = sizeof(double) * n;
  for (int start = 0; start < n; ++start) {
    if (placed[start] || source[start] == start) continue;
    std::memcpy(held.data(), v[start], bytes);
    int i = start;
    while (source[i] != start) {
      std::memcpy(v[i], v[source[i]], bytes);
      placed[i] = 1;
      i = source[i];
    }
    std::memcpy(v[i], held.data(), bytes);
    placed[i] = 1;
  }
}

// The gathering with a source that is not a permutation: the rows go through
// the (cleared) scratch, which is cleared again afterwards.
void gatherThroughScratch(Elimination& e, DenseMatrix& v, const std::vector<int>& source) {
  const int n = e.n;
  const std::size_t bytes = sizeof(double) * n;
  for (int r = 0; r < n; ++r) std::memcpy(e.row(r), v[r], bytes);
  for (int i = 0; i < n; ++i) {
    if (source[i] < 0) {
      std::memset(v[i], 0, bytes);
    } else {
      std::memcpy(v[i], e.row(source[i]), bytes);
    }
  }
  std::memset(e.w, 0, bytes * n);
}

// Row i of the result is the first row with a nonzero in column i, divided
// entry by entry by that nonzero; rows without a source become zeros.
void gatherAndScale(Elimination& e, DenseMatrix& v, ThreadTeam* team) {
  const int n = e.n;
  std::vector<int> source(n, -1), rows;
  std::vector<double> divisor(n, 0.0);
  std::vector<char> taken(n, 0);
  bool permutation = true;
  for (int i = 0; i < n; ++i) {
    compactColumn(e, i, rows);
    if (rows.empty() || taken[rows.front()]) {
      permutation = false;
    } else {
      taken[rows.front()] = 1;
    }
    if (rows.empty()) continue;
    source[i] = rows.front();
    divisor[i] = e.row(source[i])[i];
  }
  clearListed(e.w, e.n, e.columnRows);
  if (permutation) {
    permuteRows(v, n, source);
  } else {
    gatherThroughScratch(e, v, source);
  }
  forEachChunk(team, n, chunkRows(team, n), [&](int first, int end, int) {
    for (int i = first; i < end; ++i) {
      if (source[i] < 0) continue;
      double* out = v[i];
      const double d = divisor[i];
      for (int l = 0; l < n; ++l) out[l] = out[l] / d;
    }
  });
}

}  // namespace

void invertMatrix(const DenseMatrix& a, int n, DenseMatrix& out, std::vector<double>& scratch,
                  ThreadTeam* team) {
  const std::size_t size = static_cast<std::size_t>(n) * n;
  if (scratch.size() < size) scratch.resize(size, 0.0);
  Elimination e;
  e.n = n;
  e.w = scratch.data();
  if (!copyNonzeros(a, n, e.w, e.columnRows, team)) {
    veldmark::invertMatrix(a, n, out);
    return;
  }
  e.stamp.assign(n, -1);
  e.used.assign(n, 0);
  setIdentity(out, n, team);
  if (!eliminate(e, out)) {
    clearListed(e.w, e.n, e.columnRows);
    veldmark::invertMatrix(a, n, out);
    return;
  }
  gatherAndScale(e, out, team);
}

}  // namespace veldmark::fast
