// A scan over a row of doubles that passes quickly over runs of +0.0, the
// common case in the estimation's sparse matrices.
#pragma once

#include <cstdint>
#include <cstring>

namespace veldmark::fast {

/// Calls visit(column, value) for every entry of row[0..n) whose bits are
/// not those of +0.0 (so -0.0, NaN and every nonzero are visited), in
/// increasing column order. Blocks of eight +0.0 entries are skipped whole.
template <typename Visit>
void forEachEntryNotPlusZero(const double* row, int n, Visit visit) {
  int c = 0;
  for (; c + 8 <= n; c += 8) {
    std::uint64_t bits[8];
    std::memcpy(bits, row + c, sizeof bits);
    if ((bits[0] | bits[1] | bits[2] | bits[3] | bits[4] | bits[5] | bits[6] | bits[7]) == 0) {
      continue;
    }
    for (int t = 0; t < 8; ++t) {
      if (bits[t] != 0) visit(c + t, row[c + t]);
    }
  }
  for (; c < n; ++c) {
    std::uint64_t bits;
    std::memcpy(&bits, row + c, sizeof bits);
    if (bits != 0) visit(c, row[c]);
  }
}

}  // namespace veldmark::fast
