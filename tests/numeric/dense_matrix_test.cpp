// Tests of invertMatrix and luDeterminant: exact results on small matrices,
// an identity check on random basis-like matrices, and the rounding of a
// product before a subtraction.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "numeric/lu_determinant.h"
#include "numeric/matrix_inverse.h"

namespace veldmark {
namespace {

using Rows = std::vector<std::vector<double>>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::uint64_t bits(double value) {
  return std::bit_cast<std::uint64_t>(value);
}

// A matrix of order rows.size() + padding; the entries outside the leading
// rows.size() block hold `fill`.
DenseMatrix matrixOf(const Rows& rows, int padding = 0, double fill = kNaN) {
  const int n = static_cast<int>(rows.size());
  DenseMatrix m;
  allocateSquareMatrix(m, n + padding);
  std::fill(m.entries.get(), m.entries.get() + m.order * m.order, fill);
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) m[r][c] = rows[r][c];
  }
  return m;
}

bool sameStorage(const DenseMatrix& x, const DenseMatrix& y) {
  return x.order == y.order &&
         std::memcmp(x.entries.get(), y.entries.get(), sizeof(double) * x.order * x.order) == 0;
}

DenseMatrix copyOf(const DenseMatrix& m) {
  DenseMatrix c;
  allocateSquareMatrix(c, m.order);
  std::copy(m.entries.get(), m.entries.get() + m.order * m.order, c.entries.get());
  return c;
}

struct InverseCase {
  const char* name;
  Rows input;
  Rows expected;
};

// Every case runs inside storage one order larger, padded with NaN in the
// input and a marker in the output: the kernel must use only [0, n) and leave
// both the input and the padding of the output as they were.
TEST(InvertMatrix, SmallMatricesExactly) {
  const InverseCase cases[] = {
      {"empty", {}, {}},
      {"single", {{3.0}}, {{1.0 / 3.0}}},
      {"identity", {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}},
      {"two by two", {{2, 1}, {1, 1}}, {{1, -1}, {-1, 2}}},
      // Row 1 is the pivot of column 0; gathering puts it first.
      {"exchange", {{0, 1}, {1, 0}}, {{0, 1}, {1, 0}}},
      // Column 1 finds no unused pivot; gathering ignores the flags and takes row 0 twice.
      {"singular ones", {{1, 1}, {1, 1}}, {{1, 0}, {1, 0}}},
      // Column 1 is zero after elimination: no source row, so its result row is zeros.
      {"zero column", {{1, 0}, {1, 0}}, {{1, 0}, {0, 0}}},
      // 5/3 - (1/3)*5 leaves a residue of 2^-52 in row 1; it is a pivot and a divisor.
      {"rounding residue",
       {{3, 5}, {1, 5.0 / 3.0}},
       {{(1.0 + 0x1.aaaaaaaaaaaaap+52) / 3.0, -0x1.4p+54 / 3.0},
        {-0x1.5555555555555p+50, 0x1p+52}}},
  };
  constexpr double kMarker = 7.0;
  for (const InverseCase& c : cases) {
    SCOPED_TRACE(c.name);
    const int n = static_cast<int>(c.input.size());
    const DenseMatrix a = matrixOf(c.input, 1);
    const DenseMatrix before = copyOf(a);
    DenseMatrix out = matrixOf(Rows(n, std::vector<double>(n, kMarker)), 1, kMarker);
    invertMatrix(a, n, out);
    EXPECT_TRUE(sameStorage(a, before));
    for (int r = 0; r <= n; ++r) {
      for (int col = 0; col <= n; ++col) {
        const double expected = (r < n && col < n) ? c.expected[r][col] : kMarker;
        EXPECT_EQ(bits(out[r][col]), bits(expected)) << "entry [" << r << "][" << col << "]";
      }
    }
  }
}

struct DeterminantCase {
  const char* name;
  Rows input;
  double expected;  // compared bit for bit; NaN means any NaN
};

TEST(LuDeterminant, SmallMatricesExactly) {
  const DeterminantCase cases[] = {
      {"empty", {}, 1.0},
      {"single", {{-2.5}}, -2.5},
      {"identity", {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, 1.0},
      {"two by two", {{2, 1}, {1, 1}}, 1.0},
      // No row exchange: U[0][0] = 0 stays, U[1][1] is about -1e15, the product is -0.
      {"exchange", {{0, 1}, {1, 0}}, -0.0},
      {"singular", {{1, 2}, {2, 4}}, 0.0},
      {"rounding residue", {{3, 5}, {1, 5.0 / 3.0}}, 0x1.8p-51},
      // A zero pivot times an overflowed or NaN factor is NaN, not zero.
      {"zero pivot times infinity", {{0, 1e300}, {1, 0}}, kNaN},
      {"zero pivot times NaN", {{0, 1}, {1, kNaN}}, kNaN},
  };
  for (const DeterminantCase& c : cases) {
    SCOPED_TRACE(c.name);
    const int n = static_cast<int>(c.input.size());
    const DenseMatrix a = matrixOf(c.input, 1);
    const DenseMatrix before = copyOf(a);
    const double determinant = luDeterminant(a, n);
    if (std::isnan(c.expected)) {
      EXPECT_TRUE(std::isnan(determinant)) << determinant;
    } else {
      EXPECT_EQ(bits(determinant), bits(c.expected)) << determinant;
    }
    EXPECT_TRUE(sameStorage(a, before));
  }
}

// The matrices the estimation inverts: the identity (one column per link)
// with columns replaced by the 0/1 incidence vector of a short path through
// the link whose column it takes. Where the determinant is nonzero, matrix
// times computed inverse must be the identity up to rounding. This is not
// true of every such matrix: without pivoting, elimination can leave a
// rounding residue in a non-pivot row above the pivot, and gathering then
// divides by it (longer paths make that likelier). With paths of at most
// four links the residues are rare, and none occurs for this seed.
TEST(InvertMatrix, InvertsBasisLikeMatrices) {
  std::mt19937 random(20240611);
  std::vector<int> orders;
  for (int t = 0; t < 80; ++t) orders.push_back(1 + static_cast<int>(random() % 40));
  orders.push_back(100);
  orders.push_back(200);

  int nonsingular = 0;
  for (const int n : orders) {
    Rows rows(n, std::vector<double>(n, 0.0));
    for (int i = 0; i < n; ++i) rows[i][i] = 1.0;
    const int replaced = n / 2 + static_cast<int>(random() % (n / 2 + 1));
    for (int r = 0; r < replaced; ++r) {
      const int column = static_cast<int>(random() % n);
      const int length = 1 + static_cast<int>(random() % std::min(n, 4));
      for (int i = 0; i < n; ++i) rows[i][column] = 0.0;
      rows[column][column] = 1.0;  // a path through the link whose column it takes
      for (int step = 1; step < length; ++step) rows[random() % n][column] = 1.0;
    }
    const DenseMatrix a = matrixOf(rows);
    if (luDeterminant(a, n) == 0.0) continue;
    ++nonsingular;

    DenseMatrix inverse;
    allocateSquareMatrix(inverse, n);
    invertMatrix(a, n, inverse);
    double worst = 0.0;
    for (int r = 0; r < n; ++r) {
      for (int c = 0; c < n; ++c) {
        double sum = 0.0;
        for (int k = 0; k < n; ++k) sum += a[r][k] * inverse[k][c];
        worst = std::max(worst, std::fabs(sum - (r == c ? 1.0 : 0.0)));
      }
    }
    EXPECT_LE(worst, 1e-9) << "order " << n;
  }
  EXPECT_GE(nonsingular, 40);
}

// (1 + 2^-30)(1 - 2^-30) = 1 - 2^-60 rounds to 1.0, so subtracting 1.0 gives
// exactly 0; a fused multiply-add would keep -2^-60. Guards -ffp-contract=off
// both here and in the kernels' library.
[[gnu::noinline]] double productMinus(double x, double y, double z) {
  return x * y - z;
}

TEST(BuildFlags, ProductIsRoundedBeforeSubtraction) {
  volatile double x = 1.0 + 0x1p-30;
  volatile double y = 1.0 - 0x1p-30;
  EXPECT_EQ(bits(productMinus(x, y, 1.0)), bits(0.0));
  // U[1][1] = 1 - L[1][0] * U[0][1] = 1 - x * y.
  EXPECT_EQ(bits(luDeterminant(matrixOf({{1.0, y}, {x, 1.0}}), 2)), bits(0.0));
}

}  // namespace
}  // namespace veldmark
