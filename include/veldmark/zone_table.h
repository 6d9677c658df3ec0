// A trip table as the foreign formats carry it: the zones in table order and
// one value per ordered pair of them.
#pragma once

#include <cstddef>
#include <limits>
#include <new>
#include <vector>

#include "veldmark/types.h"

namespace veldmark {

// An N x N table over N zones. Row i is the origin zones[i], column j the
// destination zones[j]; values holds N * N entries row after row.
struct ZoneTable {
  std::vector<NodeId> zones;   // zone numbers in table order; size N
  std::vector<double> values;  // values[i * N + j]: trips from zones[i] to zones[j]

  int zoneCount() const { return static_cast<int>(zones.size()); }
  double at(int origin, int destination) const {
    return values[static_cast<std::size_t>(origin) * zones.size() +
                  static_cast<std::size_t>(destination)];
  }
};

/// N * N, the cells of a table over `n` zones; throws std::bad_alloc when
/// they could not be held in a std::vector<double> (rather than letting the
/// product wrap around or the vector throw std::length_error).
inline std::size_t checkedCellCount(std::size_t n) {
  const std::size_t most = std::numeric_limits<std::size_t>::max() / sizeof(double) / 2;
  if (n != 0 && n > most / n) throw std::bad_alloc();
  return n * n;
}

}  // namespace veldmark
