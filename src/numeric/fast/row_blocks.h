// Work over the rows of an n x n matrix shared among a team of threads in
// contiguous blocks, one block per thread, with the per-row results put
// together in row order: whatever the team, the same result.
#pragma once

#include <vector>

#include "numeric/thread_team.h"

namespace veldmark::fast {

/// Calls scanRow(r, columns) for every row r in [0, n), each on one member of
/// `team` (see shareRows; null: the calling thread), where scanRow
/// appends row r's columns to `columns` (a vector of that thread's) and
/// returns false when the row holds something unwanted. Writes the compressed
/// pattern in row order: start (n + 1 offsets) and columns. Returns true when
/// every row returned true. REQUIRES: scanRow writes only what belongs to
/// row r. Allocates per thread only the columns of its block.
template <typename ScanRow>
bool gatherRowPattern(int n, ThreadTeam* team, std::vector<int>& start, std::vector<int>& columns,
                      ScanRow scanRow) {
  struct Block {
    int first = 0, end = 0;    // its rows [first, end)
    std::vector<int> columns;  // their columns, in row order
    bool ok = true;
  };
  std::vector<Block> blocks(team == nullptr ? 1 : team->size());  // unused ones stay empty
  std::vector<int> rowEnds(static_cast<std::size_t>(n));          // each row's end within its block
  shareRows(team, n, [&](int member, int members) {
    Block& block = blocks[member];
    block.first = blockFirst(n, member, members);
    block.end = blockFirst(n, member + 1, members);
    for (int r = block.first; r < block.end; ++r) {
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
