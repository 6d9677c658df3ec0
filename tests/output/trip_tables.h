// Small trip tables for the output tests.
#pragma once

#include <cstddef>
#include <vector>

#include "veldmark/types.h"

namespace veldmark::testing {

/// An order x order TripTable holding `values` row after row (zeros where
/// `values` runs short).
inline DenseMatrix tripTable(int order, const std::vector<double>& values = {}) {
  DenseMatrix table;
  allocateSquareMatrix(table, order);
  for (std::size_t k = 0; k < static_cast<std::size_t>(order) * order; ++k) {
    table.entries[k] = k < values.size() ? values[k] : 0.0;
  }
  return table;
}

}  // namespace veldmark::testing
