// Work over the rows of an n x n matrix shared among a team of threads in
// chunks of rows, each chunk on one thread, with the per-row results put
// together in row order: whatever the team, the same result.
#pragma once

#include <vector>

#include "numeric/thread_team.h"

namespace veldmark::fast {

/// Calls scanRow(r, columns) for every row r in [0, n), each on one member of
/// `team` (in chunks of rows, see forEachChunk; null: the calling thread),
/// where scanRow appends row r's columns to `columns` (a vector of the
/// chunk's) and returns false when the row holds something unwanted. Writes
/// the compressed pattern in row order: start (n + 1 offsets) and columns.
/// Returns true when every row returned true. REQUIRES: scanRow writes only
/// what belongs to row r. Allocates per chunk only the columns of its rows.
template <typename ScanRow>
bool gatherRowPattern(int n, ThreadTeam* team, std::vector<int>& start, std::vector<int>& columns,
                      ScanRow scanRow) {
  struct Block {
    int first = 0, end = 0;    // its rows [first, end)
    std::vector<int> columns;  // their columns, in row order
    bool ok = true;
  };
  const int grain = chunkRows(team, n);
  std::vector<Block> blocks(static_cast<std::size_t>((n + grain - 1) / grain));
  std::vector<int> rowEnds(static_cast<std::size_t>(n));  // each row's end within its block
  forEachChunk(team, n, grain, [&](int first, int end, int) {
    Block& block = blocks[first / grain];
    block.first = first;
    block.end = end;
    for (int r = first; r < end; ++r) {
      block.ok = scanRow(r, block.columns) && block.ok;
      rowEnds[r] = static_cast<int>(block.columns.size());
    }
  });
  // --- The blocks put together in row order ------------------------------------
  start.assign(1, 0);
  columns.clear();
  bool ok = true;
  for (const Block& block : blocks) {
    const int base = static_cast<int>(columns.size());
    columns.insert(columns.end(), block.columns.begin(), block.columns.end());
    for (int r = block.first; r < block.end; ++r) start.push_back(base + rowEnds[r]);
    ok = ok && block.ok;
  }
  return ok;
}

}  // namespace veldmark::fast
