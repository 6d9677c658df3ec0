// The fast kernels against the straightforward ones, side by side on seeded
// random inputs of the kinds the estimation builds and on hostile ones
// (singular, rounding residues, non-finite values, -0.0): every output bit
// must agree (two NaNs count as equal whatever their payloads), the input
// must be left as it was, and the sparse kernels' scratch must be all zero
// again after every call.
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
#include "numeric/negative_cycle.h"
#include "numeric/shortest_paths.h"
#include "numeric/shortest_paths_fast.h"
#include "numeric/sparse_determinant.h"
#include "numeric/sparse_inverse.h"

namespace veldmark {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool sameBits(double x, double y) {
  if (std::isnan(x) && std::isnan(y)) return true;
  return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y);
}

// Uniform choices from raw engine output (the standard distributions differ
// between libraries).
struct Random {
  std::mt19937_64 engine;
  explicit Random(std::uint64_t seed) : engine(seed) {}
  int below(int bound) { return static_cast<int>(engine() % static_cast<std::uint64_t>(bound)); }
  bool chance(int percent) { return below(100) < percent; }
  template <typename T>
  T pick(const std::vector<T>& values) {
    return values[below(static_cast<int>(values.size()))];
  }
};

DenseMatrix squareOf(int n, double fill) {
  DenseMatrix m;
  allocateSquareMatrix(m, n);
  std::fill(m.entries.get(), m.entries.get() + static_cast<std::size_t>(n) * n, fill);
  return m;
}

bool sameStorage(const DenseMatrix& x, const DenseMatrix& y, int n) {
  return std::memcmp(x.entries.get(), y.entries.get(), sizeof(double) * n * n) == 0;
}

// --- Matrices of the kinds the pivot loop inverts ----------------------------

enum class Family { kBasis, kLongPaths, kSingular, kScaled, kNonFinite, kOverflow, kNegativeZero };

// Column `to` becomes part of column `from` (zeros elsewhere): duplicate,
// dependent or zero columns.
void copyColumnPart(Random& random, DenseMatrix& a, int n) {
  const int from = random.below(n), to = random.below(n);
  for (int i = 0; i < n; ++i) a[i][to] = random.chance(50) ? a[i][from] : 0.0;
}

// The identity with columns replaced by 0/1 path-incidence vectors, each
// through the link whose column it takes (as a pivot puts them), then
// spoiled according to the family.
DenseMatrix basisLike(Random& random, int n, Family family) {
  DenseMatrix a = squareOf(n, 0.0);
  for (int i = 0; i < n; ++i) a[i][i] = 1.0;
  const int longest = family == Family::kLongPaths ? std::max(1, n / 2) : std::min(n, 5);
  const int replaced = random.below(n + 1);
  for (int r = 0; r < replaced; ++r) {
    const int column = random.below(n);
    for (int i = 0; i < n; ++i) a[i][column] = 0.0;
    a[column][column] = 1.0;
    const int length = 1 + random.below(longest);
    for (int step = 1; step < length; ++step) a[random.below(n)][column] = 1.0;
  }
  auto anyEntry = [&](double value) { a[random.below(n)][random.below(n)] = value; };
  const int spoils = 1 + random.below(3);
  for (int s = 0; s < spoils; ++s) {
    switch (family) {
      case Family::kBasis:
      case Family::kLongPaths:
        break;
      case Family::kSingular:
        copyColumnPart(random, a, n);
        break;
      case Family::kScaled:
        anyEntry(random.pick<double>({3.0, 1.0 / 3.0, -1.0, 0.1, 7.0, -2.5}));
        break;
      case Family::kNonFinite:
        anyEntry(random.pick<double>({kInf, -kInf, kNaN}));
        break;
      case Family::kOverflow: {
        // A huge column and a huge row: their products overflow. Zeros stay
        // +0.0 (a -0.0 would send the fast kernels to their fallback at once).
        const int column = random.below(n), row = random.below(n);
        const double columnScale = random.pick<double>({1e300, -1e300, 1e-300});
        const double rowScale = random.pick<double>({1e200, -1e150});
        for (int i = 0; i < n; ++i) {
          if (a[i][column] != 0.0) a[i][column] *= columnScale;
          if (a[row][i] != 0.0) a[row][i] *= rowScale;
        }
        break;
      }
      case Family::kNegativeZero:
        // -0.0 entries among negative ones, in a matrix that may be singular:
        // the sign of a zero determinant depends on every -0.0 rule.
        for (int z = 0; z < n; ++z) {
          double& entry = a[random.below(n)][random.below(n)];
          entry = entry == 0.0 ? -0.0 : -entry;
        }
        if (random.chance(50)) copyColumnPart(random, a, n);
        break;
    }
  }
  return a;
}

// What the reference kernels gave, for counting the cases a family reaches.
struct ReferenceOutcome {
  double determinant = 0.0;
  bool integralInverse = true;
};

// Reference and fast inverse and determinant of `a`, compared bit for bit;
// `scratch` is shared across calls, as the estimation shares it.
void compareMatrixKernels(const DenseMatrix& a, int n, std::vector<double>& scratch,
                          ReferenceOutcome& outcome) {
  const DenseMatrix before = [&] {
    DenseMatrix copy = squareOf(n, 0.0);
    std::memcpy(copy.entries.get(), a.entries.get(), sizeof(double) * n * n);
    return copy;
  }();
  DenseMatrix reference = squareOf(n, 0.0);
  DenseMatrix fast = squareOf(n, 12345.0);  // every entry must be overwritten
  invertMatrix(a, n, reference);
  invertMatrixSparse(a, n, fast, scratch);
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      ASSERT_TRUE(sameBits(fast[r][c], reference[r][c]))
          << "inverse [" << r << "][" << c << "]: fast " << fast[r][c] << ", reference "
          << reference[r][c];
      outcome.integralInverse =
          outcome.integralInverse && std::trunc(reference[r][c]) == reference[r][c];
    }
  }
  ASSERT_TRUE(std::all_of(scratch.begin(), scratch.end(), [](double x) {
    return std::bit_cast<std::uint64_t>(x) == 0;
  })) << "scratch not all +0.0 after the inverse";

  const double expected = luDeterminant(a, n);
  outcome.determinant = expected;
  const double determinant = luDeterminantSparse(a, n, scratch);
  ASSERT_TRUE(sameBits(determinant, expected))
      << "determinant: fast " << determinant << ", reference " << expected;
  ASSERT_TRUE(std::all_of(scratch.begin(), scratch.end(), [](double x) {
    return std::bit_cast<std::uint64_t>(x) == 0;
  })) << "scratch not all +0.0 after the determinant";
  ASSERT_TRUE(sameStorage(a, before, n)) << "input changed";
}

TEST(SparseMatrixKernels, SameBitsAsReferenceOnEveryFamily) {
  const Family families[] = {Family::kBasis,       Family::kLongPaths, Family::kSingular,
                             Family::kScaled,      Family::kNonFinite, Family::kOverflow,
                             Family::kNegativeZero};
  std::vector<double> scratch;
  int singular = 0, residues = 0, nonFinite = 0;
  for (std::uint64_t seed = 1; seed <= 40; ++seed) {
    Random random(seed);
    for (const Family family : families) {
      const int n = seed % 10 == 0 ? 100 + random.below(51) : 1 + random.below(40);
      SCOPED_TRACE(::testing::Message()
                   << "seed " << seed << " family " << static_cast<int>(family) << " order " << n);
      const DenseMatrix a = basisLike(random, n, family);
      // A fresh scratch now and then: the kernels must grow it themselves.
      if (seed % 7 == 0) scratch.clear();
      ReferenceOutcome outcome;
      compareMatrixKernels(a, n, scratch, outcome);
      if (HasFatalFailure()) return;
      singular += outcome.determinant == 0.0;
      nonFinite += !std::isfinite(outcome.determinant);
      residues += !outcome.integralInverse && family == Family::kLongPaths;
    }
  }
  // The families reach the cases they are meant for.
  EXPECT_GE(singular, 20);
  EXPECT_GE(nonFinite, 10);
  EXPECT_GE(residues, 5);
}

// Hand-made cases at the edges: order 0 and 1, a residue left by rounding
// that becomes a pivot, a column emptied by elimination, and an overflow in
// the middle of the elimination of an otherwise plain matrix.
TEST(SparseMatrixKernels, SameBitsAsReferenceOnEdgeCases) {
  using Rows = std::vector<std::vector<double>>;
  const Rows cases[] = {
      {},
      {{3.0}},
      {{-0.0}},
      {{0.0}},
      {{0, 1}, {1, 0}},
      {{1, 1}, {1, 1}},
      {{1, 0}, {1, 0}},
      {{3, 5}, {1, 5.0 / 3.0}},
      {{1e-300, 1}, {1, 1e300}},
      {{1e-200, 1e200, 0}, {1e200, 1, 1}, {0, 1, 1}},
      {{2, 1, 0}, {1, -0.0, 1}, {0, 1, 3}},
      {{1, 1, 0}, {0, 1, 1}, {1, 0, 1}},  // determinant 2: fractional inverse
      // W[1][1] overflows to -inf; the pivot row then turns row 2 into NaN
      // through a zero factor times infinity.
      {{1, 1e300, 0}, {1e300, 1, 0}, {0, 0, 1}},
      // The multiplier 1e300 / kZeroPivotSubstitute is infinite; times U[0][1] = 0 it is NaN.
      {{0, 0}, {1e300, 1}},
      // L[1][0] = 0 / -1 = -0.0; U[1][1] = -0.0 - (-0.0 * 1) = +0.0: the determinant is -0.0.
      {{-1, 1}, {0, -0.0}},
      // Found by search: each needs one of the fast kernels' fallbacks (an
      // infinite W entry, an infinite V entry, an infinite U entry) to match.
      {{-1, 1, -1e300, 1}, {0, 0, 0, 0}, {0, 0, 0, 1e300}, {1e200, -1, 0, 1}},
      {{1, 0, 0, 0}, {1e300, 1, 1, 0}, {0, -1e300, 1e-300, 1e-300}, {1e300, 0, 0, 0}},
      {{0, 0, -1e300}, {1, 1e200, 0}, {1e-300, 0, 0}},
  };
  std::vector<double> scratch;
  for (const Rows& rows : cases) {
    const int n = static_cast<int>(rows.size());
    SCOPED_TRACE(::testing::Message()
                 << "case of order " << n << " starting " << (n > 0 ? rows[0][0] : 0.0));
    DenseMatrix a = squareOf(n, 0.0);
    for (int r = 0; r < n; ++r) {
      for (int c = 0; c < n; ++c) a[r][c] = rows[r][c];
    }
    ReferenceOutcome outcome;
    compareMatrixKernels(a, n, scratch, outcome);
  }
}

// --- Shortest path kernels -------------------------------------------------------

struct Link {
  ZoneIndex from;
  ZoneIndex to;
  double cost;
};

// Costs as the pivot loop produces them (small positive and negative prices,
// the floor, zero of both signs) and the hostile ones.
double linkCost(Random& random) {
  switch (random.below(12)) {
    case 0:
      return kFlowFloor;
    case 1:
      return -0.0;
    case 2:
      return kUnreachable;
    case 3:
      return random.chance(50) ? kNaN : -kInf;
    case 4:
      return -0.01 * (1 + random.below(5));  // small negatives: cycles lost to rounding
    case 5:
      return 1e9 + random.below(10);  // a pair without flow priced from kLogOfZero
    default:
      return (random.below(2001) - 700) / 100.0;  // mostly positive, some negative
  }
}

std::vector<Link> randomLinks(Random& random, int n, int count) {
  std::vector<Link> links;
  for (int e = 0; e < count; ++e) {
    const ZoneIndex from = random.below(n);
    // Self-links and repeats of an earlier link's ends now and then.
    const ZoneIndex to = random.chance(10) ? from : random.below(n);
    links.push_back({from, to, linkCost(random)});
    if (random.chance(10)) links.push_back({from, to, linkCost(random)});
  }
  return links;
}

struct PathTables {
  DenseMatrix d;
  ZoneIndexMatrix p;
};

// The pivot loop's set-up: diagonal 0 and itself, kUnreachable elsewhere,
// then every link in order (the last parallel link wins, a self-link
// overwrites the diagonal). Entries no link writes keep stale predecessors.
PathTables prepared(Random& random, int n, const std::vector<Link>& links) {
  PathTables t;
  t.d = squareOf(n, kUnreachable);
  allocateSquareMatrix(t.p, n);
  for (int j = 0; j < n; ++j) {
    for (int k = 0; k < n; ++k) t.p[j][k] = random.below(n);
    t.d[j][j] = 0.0;
    t.p[j][j] = j;
  }
  for (const Link& link : links) {
    t.d[link.from][link.to] = link.cost;
    t.p[link.from][link.to] = link.from;
  }
  return t;
}

PathTables copyOf(const PathTables& t, int n) {
  PathTables c;
  c.d = squareOf(n, 0.0);
  allocateSquareMatrix(c.p, n);
  std::copy(t.d.entries.get(), t.d.entries.get() + n * n, c.d.entries.get());
  std::copy(t.p.entries.get(), t.p.entries.get() + n * n, c.p.entries.get());
  return c;
}

TEST(FastShortestPaths, FloydWarshallSameBitsAsReference) {
  int negativeDiagonal = 0, unreachedPairs = 0, withoutNegativeDiagonal = 0;
  for (std::uint64_t seed = 1; seed <= 400; ++seed) {
    Random random(seed);
    const int n = seed % 50 == 0 ? 60 + random.below(40) : random.below(24);
    const int density = 1 + random.below(4);
    std::vector<Link> links = n == 0 ? std::vector<Link>{} : randomLinks(random, n, density * n);
    // Two graphs in three without negative costs, so that most
    // intermediates keep D[i][i] >= 0 and take the vectorised rows.
    if (seed % 3 != 0) {
      for (Link& link : links) link.cost = link.cost < 0 ? -link.cost : link.cost;  // keeps -0.0
    }
    PathTables reference = prepared(random, n, links);
    // Every fourth graph: an arbitrary matrix rather than the set-up's.
    if (seed % 4 == 0) {
      for (int i = 0; i < n * n; ++i) reference.d.entries[i] = linkCost(random);
    }
    PathTables fast = copyOf(reference, n);
    allPairsShortestPaths(n, reference.p, reference.d);
    allPairsShortestPathsFast(n, fast.p, fast.d);
    SCOPED_TRACE(::testing::Message() << "seed " << seed << " zones " << n);
    bool negative = false;
    for (int j = 0; j < n; ++j) {
      for (int k = 0; k < n; ++k) {
        ASSERT_TRUE(sameBits(fast.d[j][k], reference.d[j][k]))
            << "D[" << j << "][" << k << "]: fast " << fast.d[j][k] << ", reference "
            << reference.d[j][k];
        ASSERT_EQ(fast.p[j][k], reference.p[j][k]) << "P[" << j << "][" << k << "]";
        negativeDiagonal += j == k && reference.d[j][k] < 0;
        negative = negative || (j == k && !(reference.d[j][k] >= 0));
        unreachedPairs += reference.d[j][k] == kUnreachable;
      }
    }
    withoutNegativeDiagonal += n >= 8 && !negative;
  }
  EXPECT_GE(negativeDiagonal, 50);
  EXPECT_GE(unreachedPairs, 50);
}

TEST(FastShortestPaths, BellmanFordSameResultAndLabelsAsReference) {
  int negative = 0, positive = 0;
  for (std::uint64_t seed = 1; seed <= 600; ++seed) {
    Random random(seed);
    const int n = random.below(30);
    const std::vector<Link> links =
        n == 0 ? std::vector<Link>{} : randomLinks(random, n, random.below(3 * n + 1));
    std::vector<LinkZoneEnds> ends;
    std::vector<double> costs;
    for (const Link& link : links) {
      ends.push_back({link.from, link.to});
      // Prices without the hostile values half of the time, so that more
      // graphs have no negative cycle and run to the early stop.
      costs.push_back(seed % 2 == 0 && !std::isfinite(link.cost) ? 1.0 : link.cost);
    }
    std::vector<double> reference(n, kUnreachable);
    if (n > 0) reference[0] = 0.0;
    if (seed % 5 == 0) {
      for (double& label : reference) label = linkCost(random);
    }
    std::vector<double> fast = reference;
    const int count = static_cast<int>(links.size());
    const bool expected =
        detectNegativeCycle(count, ends.data(), costs.data(), n, reference.data());
    const bool result = detectNegativeCycleFast(count, ends.data(), costs.data(), n, fast.data());
    SCOPED_TRACE(::testing::Message() << "seed " << seed << " zones " << n << " links " << count);
    ASSERT_EQ(result, expected);
    for (int z = 0; z < n; ++z) {
      ASSERT_TRUE(sameBits(fast[z], reference[z]))
          << "label " << z << ": fast " << fast[z] << ", reference " << reference[z];
    }
    (expected ? negative : positive) += 1;
  }
  EXPECT_GE(negative, 100);
  EXPECT_GE(positive, 100);
}

}  // namespace
}  // namespace veldmark
