// Small trip tables for the output tests.
#pragma once

#include <vector>

#include "veldmark/types.h"

namespace veldmark::testing {

/// An order x order table holding `values` row after row, zeros after them.
inline DenseMatrix tripTable(int order, const std::vector<double>& values = {}) {
  DenseMatrix table;
  allocateSquareMatrix(table, order);
  for (int k = 0; k < order * order; ++k)
    table.entries[k] = k < std::ssize(values) ? values[k] : 0.0;
  return table;
}

}  // namespace veldmark::testing
