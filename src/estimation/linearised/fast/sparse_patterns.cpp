#include "estimation/linearised/fast/sparse_patterns.h"

#include <cmath>

#include "numeric/fast/nonzero_scan.h"
#include "numeric/fast/row_blocks.h"

namespace veldmark::fast {
namespace {

// Pattern of the rows of an L x L matrix, scanned by the members of `team`;
// `accept` says whether every entry passes `entryOk`.
template <typename EntryOk>
void rowPattern(const DenseMatrix& matrix, int l, ThreadTeam* team, RowPattern& pattern,
                bool& accept, EntryOk entryOk) {
  accept = gatherRowPattern(l, team, pattern.start, pattern.columns,
                            [&](int r, std::vector<int>& columns) {
                              bool ok = true;
                              forEachEntryNotPlusZero(matrix[r], l, [&](int c, double x) {
                                if (x != 0.0) columns.push_back(c);
                                ok = ok && entryOk(x);
                              });
                              return ok;
                            });
}

// The transpose of a row pattern: rows of each column, increasing.
void transposePattern(const RowPattern& rows, int l, RowPattern& columns) {
  columns.start.assign(static_cast<std::size_t>(l) + 1, 0);
  for (int c : rows.columns) ++columns.start[c + 1];
  for (int c = 0; c < l; ++c) columns.start[c + 1] += columns.start[c];
  columns.columns.resize(rows.columns.size());
  std::vector<int> next(columns.start.begin(), columns.start.end() - 1);
  for (int r = 0; r < l; ++r) {
    for (int e = rows.start[r]; e < rows.start[r + 1]; ++e) {
      columns.columns[next[rows.columns[e]]++] = r;
    }
  }
}

}  // namespace

std::uint64_t hashLinkSet(const int* links, int count) {
  std::uint64_t hash = 1469598103934665603ull;
  for (int i = 0; i < count; ++i) {
    hash ^= static_cast<std::uint64_t>(links[i]) + 0x9e3779b97f4a7c15ull;
    hash *= 1099511628211ull;
  }
  return hash ^ static_cast<std::uint64_t>(count);
}

void indexBasisAndInverse(EstimationWorkspace& workspace) {
  PivotScratch& scratch = workspace.Scratch;
  const int l = workspace.linkCount;
  ThreadTeam* team = workspace.Team.get();
  rowPattern(workspace.BasisInverse, l, team, scratch.inverseRows, scratch.plainInverse,
             [](double x) { return std::isfinite(x); });
  rowPattern(workspace.BasisMatrix, l, team, scratch.basisRows, scratch.zeroOneBasis,
             [](double x) { return x == 1.0 || (x == 0.0 && !std::signbit(x)); });
  transposePattern(scratch.basisRows, l, scratch.basisColumns);
}

void indexBasicColumns(EstimationWorkspace& workspace) {
  PivotScratch& scratch = workspace.Scratch;
  scratch.columnsByHash.clear();
  const RowPattern& columns = scratch.basisColumns;
  for (int j = 0; j < workspace.linkCount; ++j) {
    const int begin = columns.start[j];
    const int count = columns.start[j + 1] - begin;
    scratch.columnsByHash.emplace(hashLinkSet(columns.columns.data() + begin, count), j);
  }
}

}  // namespace veldmark::fast
