// Indexes the faster pivot paths keep beside the dense workspace matrices:
// where the nonzeros of the basis and of its inverse are, which basic
// column holds which set of links, and the first link between two zones.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace veldmark::fast {

// The nonzero columns of each row of an L x L matrix (compressed rows).
struct RowPattern {
  std::vector<int> start;    // L + 1 offsets into `columns`
  std::vector<int> columns;  // column indices, increasing within a row
};

struct PivotScratch {
  RowPattern inverseRows;     // nonzeros of BasisInverse, by row
  RowPattern basisRows;       // nonzeros of BasisMatrix, by row
  RowPattern basisColumns;    // nonzeros of BasisMatrix, by column (rows of its transpose)
  bool plainInverse = false;  // BasisInverse all finite
  bool zeroOneBasis = false;  // BasisMatrix holds only +0.0 and 1.0
  std::unordered_multimap<std::uint64_t, int> columnsByHash;  // link-set hash -> basic column
  std::vector<int> firstLink;  // N x N: first link in link order from zone a to b, or -1
  std::vector<double> dense;   // L x L working storage of the sparse kernels, kept all zero
};

}  // namespace veldmark::fast
