// The inverse and the determinant, reference and fast kernels alike, exactly
// on small matrices; and the rounding of a product before a subtraction.
#include <gtest/gtest.h>

#include <limits>

#include "numeric/fast/lu_determinant.h"
#include "numeric/fast/matrix_inverse.h"
#include "numeric/lu_determinant.h"
#include "numeric/matrix_inverse.h"
#include "numeric/numeric_cases.h"

namespace veldmark {
namespace {

using testing::matrixOf;
using testing::Rows;
using testing::sameBits;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Each case runs in storage one order larger, NaN-padded in the input and
// marked in the output: only [0, n) may be read or written.
TEST(InvertMatrix, SmallMatricesExactlyOnBothKernels) {
  const struct {
    const char* name;
    Rows input, expected;
  } cases[] = {
      {"empty", {}, {}},
      {"single", {{3.0}}, {{1.0 / 3.0}}},
      {"identity", {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}},
      {"two by two", {{2, 1}, {1, 1}}, {{1, -1}, {-1, 2}}},
      {"exchange", {{0, 1}, {1, 0}}, {{0, 1}, {1, 0}}},
      // Column 1 finds no unused pivot; gathering takes row 0 twice.
      {"singular ones", {{1, 1}, {1, 1}}, {{1, 0}, {1, 0}}},
      // Column 1 is zero after elimination: its result row is zeros.
      {"zero column", {{1, 0}, {1, 0}}, {{1, 0}, {0, 0}}},
      // 5/3 - (1/3)*5 leaves 2^-52 in row 1, which becomes a pivot and a divisor.
      {"rounding residue",
       {{3, 5}, {1, 5.0 / 3.0}},
       {{(1.0 + 0x1.aaaaaaaaaaaaap+52) / 3.0, -0x1.4p+54 / 3.0},
        {-0x1.5555555555555p+50, 0x1p+52}}},
  };
  std::vector<double> scratch;
  for (const auto& c : cases) {
    for (const bool fast : {false, true}) {
      SCOPED_TRACE(::testing::Message() << c.name << (fast ? ", fast" : ", reference"));
      const int n = static_cast<int>(c.input.size());
      const DenseMatrix a = matrixOf(c.input, 1, kNaN);
      const DenseMatrix before = testing::copyOf(a);
      DenseMatrix out = matrixOf({}, n + 1, 7.0);
      fast ? fast::invertMatrix(a, n, out, scratch) : invertMatrix(a, n, out);
      EXPECT_TRUE(testing::sameStorage(a, before));
      for (int r = 0; r <= n; ++r) {
        for (int col = 0; col <= n; ++col) {
          const double expected = r < n && col < n ? c.expected[r][col] : 7.0;
          EXPECT_TRUE(sameBits(out[r][col], expected))
              << "[" << r << "][" << col << "] is " << out[r][col];
        }
      }
    }
  }
}

TEST(LuDeterminant, SmallMatricesExactlyOnBothKernels) {
  const struct {
    const char* name;
    Rows input;
    double expected;  // bit for bit; NaN means any NaN
  } cases[] = {
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
  std::vector<double> scratch;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const int n = static_cast<int>(c.input.size());
    const DenseMatrix a = matrixOf(c.input, 1, kNaN);
    const DenseMatrix before = testing::copyOf(a);
    EXPECT_TRUE(sameBits(luDeterminant(a, n), c.expected)) << luDeterminant(a, n);
    EXPECT_TRUE(sameBits(fast::luDeterminant(a, n, scratch), c.expected));
    EXPECT_TRUE(testing::sameStorage(a, before));
  }
}

// (1 + 2^-30)(1 - 2^-30) rounds to 1.0, so minus 1.0 it is exactly 0; a fused
// multiply-add would keep -2^-60. Guards -ffp-contract=off here and in the
// kernels' library (U[1][1] = 1 - x * y).
[[gnu::noinline]] double productMinus(double x, double y, double z) {
  return x * y - z;
}

TEST(BuildFlags, ProductIsRoundedBeforeSubtraction) {
  volatile double x = 1.0 + 0x1p-30, y = 1.0 - 0x1p-30;
  EXPECT_TRUE(sameBits(productMinus(x, y, 1.0), 0.0));
  EXPECT_TRUE(sameBits(luDeterminant(matrixOf({{1.0, y}, {x, 1.0}}), 2), 0.0));
}

}  // namespace
}  // namespace veldmark
