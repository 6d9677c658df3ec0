// Matrices and link lists for the kernel tests. Header only: the test
// programs are built from *_test.cpp files.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "veldmark/constants.h"
#include "veldmark/types.h"

namespace veldmark::testing {

using Rows = std::vector<std::vector<double>>;

/// Equal bits, or both NaN whatever their payloads.
inline bool sameBits(double x, double y) {
  return (std::isnan(x) && std::isnan(y)) ||
         std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y);
}

/// A matrix of order rows.size() + padding, `fill` outside the leading block.
inline DenseMatrix matrixOf(const Rows& rows, int padding = 0, double fill = 0.0) {
  const int n = static_cast<int>(rows.size());
  DenseMatrix m;
  allocateSquareMatrix(m, n + padding);
  std::fill(m.entries.get(), m.entries.get() + m.order * m.order, fill);
  for (int r = 0; r < n; ++r) std::copy(rows[r].begin(), rows[r].end(), m[r]);
  return m;
}

template <typename T>
SquareMatrix<T> copyOf(const SquareMatrix<T>& m) {
  SquareMatrix<T> c;
  allocateSquareMatrix(c, m.order);
  std::copy(m.entries.get(), m.entries.get() + m.order * m.order, c.entries.get());
  return c;
}

inline bool sameStorage(const DenseMatrix& x, const DenseMatrix& y) {
  return x.order == y.order &&
         std::memcmp(x.entries.get(), y.entries.get(), sizeof(double) * x.order * x.order) == 0;
}

struct Link {
  ZoneIndex from;
  ZoneIndex to;
  double cost;
};

/// D and P as the pivot loop prepares them: 0 on the diagonal, kUnreachable
/// elsewhere, P[j][k] = j, then every link in order (the last parallel link
/// wins, a self-link overwrites the diagonal).
struct PathTables {
  DenseMatrix d;
  ZoneIndexMatrix p;
  PathTables(int n, const std::vector<Link>& links) {
    allocateSquareMatrix(d, n);
    allocateSquareMatrix(p, n);
    for (int j = 0; j < n; ++j) {
      for (int k = 0; k < n; ++k) {
        d[j][k] = j == k ? 0.0 : kUnreachable;
        p[j][k] = j;
      }
    }
    for (const Link& link : links) {
      d[link.from][link.to] = link.cost;
      p[link.from][link.to] = link.from;
    }
  }
};

}  // namespace veldmark::testing
