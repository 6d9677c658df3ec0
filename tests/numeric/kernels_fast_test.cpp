// The fast kernels against the reference ones on seeded random inputs of the
// kinds the estimation builds and on hostile ones: every output bit must
// agree (NaNs of any payload count as equal), the input must be left as it
// was, and the sparse kernels' scratch must be all zero again after a call.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <limits>
#include <memory>
#include <random>

#include "estimation/linearised/limits.h"
#include "numeric/fast/lu_determinant.h"
#include "numeric/fast/matrix_inverse.h"
#include "numeric/fast/negative_cycle.h"
#include "numeric/fast/shortest_paths.h"
#include "numeric/lu_determinant.h"
#include "numeric/matrix_inverse.h"
#include "numeric/negative_cycle.h"
#include "numeric/numeric_cases.h"
#include "numeric/shortest_paths.h"

namespace veldmark {
namespace {

using testing::Link;
using testing::matrixOf;
using testing::PathTables;
using testing::Rows;
using testing::sameBits;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Uniform choices from raw engine output (the distributions differ between
// libraries).
struct Random {
  std::mt19937_64 engine;
  int below(int bound) { return static_cast<int>(engine() % static_cast<std::uint64_t>(bound)); }
  bool chance(int percent) { return below(100) < percent; }
  double pick(const std::vector<double>& values) {
    return values[below(static_cast<int>(values.size()))];
  }
};

// Each family reaches a different branch or fallback of the fast kernels.
enum class Family { kBasis, kResidue, kSingular, kNonFinite, kOverflow, kNegativeZero };

// The identity with columns replaced by 0/1 path-incidence vectors through
// the link whose column each takes (as pivots put them), then spoiled.
Rows basisLike(Random& random, int n, Family family) {
  Rows a(n, std::vector<double>(n, 0.0));
  for (int i = 0; i < n; ++i) a[i][i] = 1.0;
  const int longest = family == Family::kResidue ? std::max(1, n / 2) : std::min(n, 5);
  for (int r = random.below(n + 1); r > 0; --r) {
    const int column = random.below(n);
    for (int i = 0; i < n; ++i) a[i][column] = i == column ? 1.0 : 0.0;
    for (int step = 1 + random.below(longest); step > 1; --step) a[random.below(n)][column] = 1.0;
  }
  // Column `to` becomes part of column `from`: duplicate, dependent or zero.
  auto copyColumnPart = [&] {
    const int from = random.below(n), to = random.below(n);
    for (int i = 0; i < n; ++i) a[i][to] = random.chance(50) ? a[i][from] : 0.0;
  };
  for (int s = 1 + random.below(3); s > 0; --s) {
    if (family == Family::kSingular) copyColumnPart();
    if (family == Family::kNonFinite)
      a[random.below(n)][random.below(n)] = random.pick({kInf, -kInf, kNaN});
    if (family == Family::kOverflow) {
      // A huge column times a huge row overflows; zeros stay +0.0.
      const int column = random.below(n), row = random.below(n);
      const double columnScale = random.pick({1e300, -1e300, 1e-300});
      const double rowScale = random.pick({1e200, -1e150});
      for (int i = 0; i < n; ++i) {
        if (a[i][column] != 0.0) a[i][column] *= columnScale;
        if (a[row][i] != 0.0) a[row][i] *= rowScale;
      }
    }
    if (family == Family::kNegativeZero) {
      // The sign of a zero determinant depends on every -0.0 rule.
      for (int z = 0; z < n; ++z) {
        double& entry = a[random.below(n)][random.below(n)];
        entry = entry == 0.0 ? -0.0 : -entry;
      }
      if (random.chance(50)) copyColumnPart();
    }
  }
  return a;
}

bool allZero(const std::vector<double>& scratch) {
  return std::all_of(scratch.begin(), scratch.end(),
                     [](double x) { return std::bit_cast<std::uint64_t>(x) == 0; });
}

struct Reference {
  double determinant;
  bool integral;  // every entry of the inverse
  DenseMatrix inverse;
};

// `scratch` is shared across calls, as the estimation shares it.
Reference compareMatrixKernels(const Rows& rows, std::vector<double>& scratch) {
  const int n = static_cast<int>(rows.size());
  const DenseMatrix a = matrixOf(rows), before = testing::copyOf(a);
  DenseMatrix reference = matrixOf({}, n), fast = matrixOf({}, n, 12345.0);
  invertMatrix(a, n, reference);
  // Alone, and on a team of three sharing rows however few (the blocks of
  // a small matrix are partly empty).
  static ThreadTeam team(3, 1);
  for (ThreadTeam* shared : {static_cast<ThreadTeam*>(nullptr), &team}) {
    SCOPED_TRACE(shared ? "team of 3" : "alone");
    fast::invertMatrix(a, n, fast, scratch, shared);
    for (int i = 0; i < n * n; ++i) {
      EXPECT_TRUE(sameBits(fast.entries[i], reference.entries[i]))
          << "inverse entry " << i << ": fast " << fast.entries[i] << ", reference "
          << reference.entries[i];
    }
    EXPECT_TRUE(allZero(scratch)) << "after the inverse";
  }
  bool integral = true;
  for (int i = 0; i < n * n; ++i) {
    integral = integral && std::trunc(reference.entries[i]) == reference.entries[i];
  }
  const double determinant = luDeterminant(a, n);
  EXPECT_TRUE(sameBits(fast::luDeterminant(a, n, scratch), determinant)) << determinant;
  EXPECT_TRUE(sameBits(fast::luDeterminant(a, n, scratch, &team), determinant)) << determinant;
  EXPECT_TRUE(allZero(scratch)) << "after the determinant";
  EXPECT_TRUE(testing::sameStorage(a, before)) << "input changed";
  return {determinant, integral, std::move(reference)};
}

// Where a basis-like matrix is nonsingular, A times its inverse is also the
// identity up to rounding (without pivoting, a rounding residue could become
// a divisor; no seed here makes one that matters).
TEST(SparseMatrixKernels, SameBitsAsReferenceOnEveryFamilyAndInverseOfTheBasisLike) {
  std::vector<double> scratch;
  int singular = 0, residues = 0, nonFinite = 0, inverted = 0;
  for (std::uint64_t seed = 1; seed <= 30 && !HasFailure(); ++seed) {
    Random random{std::mt19937_64(seed)};
    for (int f = 0; f <= static_cast<int>(Family::kNegativeZero); ++f) {
      const Family family = static_cast<Family>(f);
      const int n = seed % 10 == 0 ? 100 + random.below(51) : 1 + random.below(40);
      SCOPED_TRACE(::testing::Message() << "seed " << seed << " family " << f << " order " << n);
      if (seed % 7 == 0) scratch.clear();  // the kernels must grow it themselves
      const Rows a = basisLike(random, n, family);
      const Reference reference = compareMatrixKernels(a, scratch);
      singular += reference.determinant == 0.0;
      nonFinite += !std::isfinite(reference.determinant);
      residues += !reference.integral && family == Family::kResidue;
      if (family > Family::kResidue || reference.determinant == 0.0) continue;
      ++inverted;
      for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
          double sum = 0.0;
          for (int k = 0; k < n; ++k) sum += a[r][k] * reference.inverse[k][c];
          EXPECT_NEAR(sum, r == c ? 1.0 : 0.0, 1e-9) << "[" << r << "][" << c << "]";
        }
      }
    }
  }
  EXPECT_GE(singular, 15);
  EXPECT_GE(nonFinite, 8);
  EXPECT_GE(residues, 4);
  EXPECT_GE(inverted, 40);
}

TEST(SparseMatrixKernels, SameBitsAsReferenceOnEdgeCases) {
  const Rows cases[] = {
      {{-0.0}},
      {{0.0}},
      {{1e-300, 1}, {1, 1e300}},
      {{1e-200, 1e200, 0}, {1e200, 1, 1}, {0, 1, 1}},
      {{2, 1, 0}, {1, -0.0, 1}, {0, 1, 3}},
      {{1, 1, 0}, {0, 1, 1}, {1, 0, 1}},  // determinant 2: fractional inverse
      // W[1][1] overflows to -inf; a zero factor times it turns row 2 into NaN.
      {{1, 1e300, 0}, {1e300, 1, 0}, {0, 0, 1}},
      // 1e300 over the zero-pivot substitute is infinite; times U[0][1] = 0, NaN.
      {{0, 0}, {1e300, 1}},
      // L[1][0] = 0 / -1 = -0.0, U[1][1] = -0.0 - (-0.0 * 1) = +0.0: determinant -0.0.
      {{-1, 1}, {0, -0.0}},
      // Found by search: each needs one fallback (infinite W, V, U entry) to match.
      {{-1, 1, -1e300, 1}, {0, 0, 0, 0}, {0, 0, 0, 1e300}, {1e200, -1, 0, 1}},
      {{1, 0, 0, 0}, {1e300, 1, 1, 0}, {0, -1e300, 1e-300, 1e-300}, {1e300, 0, 0, 0}},
      {{0, 0, -1e300}, {1, 1e200, 0}, {1e-300, 0, 0}},
  };
  std::vector<double> scratch;
  for (const Rows& rows : cases) {
    SCOPED_TRACE(::testing::Message() << "order " << rows.size() << " starting " << rows[0][0]);
    compareMatrixKernels(rows, scratch);
  }
}

// Costs as the pivot loop produces them (small prices of both signs, the
// floor, zeros of both signs, a pair priced from kLogOfZero) and hostile ones.
double linkCost(Random& random) {
  const int kind = random.below(12);
  if (kind < 3) return std::array{kFlowFloor, -0.0, kUnreachable}[kind];
  if (kind == 3) return random.chance(50) ? kNaN : -kInf;
  if (kind == 4) return -0.01 * (1 + random.below(5));
  if (kind == 5) return 1e9 + random.below(10);
  return (random.below(2001) - 700) / 100.0;
}

// Self-links and parallel links now and then.
std::vector<Link> randomLinks(Random& random, int n, int count) {
  std::vector<Link> links;
  for (int e = 0; n > 0 && e < count; ++e) {
    const ZoneIndex from = random.below(n), to = random.chance(10) ? from : random.below(n);
    links.push_back({from, to, linkCost(random)});
    if (random.chance(10)) links.push_back({from, to, linkCost(random)});
  }
  return links;
}

TEST(FastShortestPaths, FloydWarshallSameBitsAsReference) {
  const int threads[] = {1, 2, 3, 8};
  std::unique_ptr<ThreadTeam> teams[4];
  // Chunks of 1024 entries: the rows of the larger graphs below are shared
  // out (16 rows and fewer a chunk), those of the small ones are not.
  for (int t = 1; t < 4; ++t) teams[t] = std::make_unique<ThreadTeam>(threads[t], 1024);
  int negativeDiagonal = 0, unreached = 0;
  for (std::uint64_t seed = 1; seed <= 200 && !HasFailure(); ++seed) {
    Random random{std::mt19937_64(seed)};
    // Every tenth graph large enough for the rows to be shared among threads.
    const int n = seed % 10 == 0 ? 64 + random.below(40) : random.below(24);
    std::vector<Link> links = randomLinks(random, n, (1 + random.below(4)) * n);
    // Two graphs in three without negative costs, so that most intermediates
    // keep D[i][i] >= 0 and take the vectorised rows.
    for (Link& link : links) link.cost = seed % 3 && link.cost < 0 ? -link.cost : link.cost;
    PathTables reference(n, links);
    for (int i = 0; i < n * n; ++i) {
      // Stale predecessors where no link is; every fourth graph any matrix at all.
      if (reference.d.entries[i] == kUnreachable) reference.p.entries[i] = random.below(n);
      if (seed % 4 == 0) reference.d.entries[i] = linkCost(random);
    }
    std::vector<PathTables> fast;
    for (int t = 0; t < 4; ++t) {
      PathTables& tables = fast.emplace_back(0, std::vector<Link>{});
      tables.d = testing::copyOf(reference.d);
      tables.p = testing::copyOf(reference.p);
    }
    allPairsShortestPaths(n, reference.p, reference.d);
    for (int t = 0; t < 4; ++t)
      fast::allPairsShortestPaths(n, fast[t].p, fast[t].d, teams[t].get());
    SCOPED_TRACE(::testing::Message() << "seed " << seed << " zones " << n);
    for (int i = 0; i < n * n; ++i) {
      for (int t = 0; t < 4; ++t) {
        EXPECT_TRUE(sameBits(fast[t].d.entries[i], reference.d.entries[i]))
            << "D entry " << i << ", threads " << threads[t];
        EXPECT_EQ(fast[t].p.entries[i], reference.p.entries[i])
            << "P entry " << i << ", threads " << threads[t];
      }
      negativeDiagonal += i % (n + 1) == 0 && reference.d.entries[i] < 0;
      unreached += reference.d.entries[i] == kUnreachable;
    }
  }
  EXPECT_GE(negativeDiagonal, 25);
  EXPECT_GE(unreached, 25);
}

// The least entry of a column bounds which destinations a row can still
// improve through it (D[i][k] + least < largest), and that least entry falls
// while the rows are relaxed through the intermediate before. Here column 1
// holds 10 at the start and 5 = -5 + 10 (row 2 through zone 0) when zone 1's
// turn comes; then D[2][3] = 5 + 92 = 97 < 100, which a bound from the
// column as it was (10 + 92 >= 100) would skip. Row 0 is NaN beyond column
// 1, so that row 2 gains nothing else through zone 0.
TEST(FastShortestPaths, FloydWarshallBoundFromTheColumnAsItIsNow) {
  const int n = 8;
  PathTables start(n, {});
  for (int j = 0; j < n; ++j) {
    for (int k = 0; k < n; ++k) start.d[j][k] = j == k ? 0.0 : 100.0;
  }
  for (int k = 2; k < n; ++k) start.d[0][k] = kNaN;
  start.d[1][1] = 10.0;  // a positive diagonal keeps column 1's least entry above 0
  start.d[2][0] = -5.0;
  start.d[0][1] = 10.0;
  start.d[1][0] = 92.0;
  start.d[1][3] = 92.0;
  PathTables reference(0, {});
  reference.d = testing::copyOf(start.d);
  reference.p = testing::copyOf(start.p);
  allPairsShortestPaths(n, reference.p, reference.d);
  ASSERT_EQ(reference.d[2][3], 97.0);
  for (int threads : {1, 2, 3, 8}) {
    ThreadTeam team(threads, 1);
    PathTables fast(0, {});
    fast.d = testing::copyOf(start.d);
    fast.p = testing::copyOf(start.p);
    fast::allPairsShortestPaths(n, fast.p, fast.d, &team);
    EXPECT_EQ(std::memcmp(fast.d.entries.get(), reference.d.entries.get(), sizeof(double) * n * n),
              0)
        << "threads " << threads;
    EXPECT_EQ(fast.p[2][3], reference.p[2][3]) << "threads " << threads;
  }
}

TEST(FastShortestPaths, BellmanFordSameResultAndLabelsAsReference) {
  int negative = 0, positive = 0;
  for (std::uint64_t seed = 1; seed <= 300 && !HasFailure(); ++seed) {
    Random random{std::mt19937_64(seed)};
    const int n = random.below(30);
    std::vector<LinkZoneEnds> ends;
    std::vector<double> costs, reference(n, kUnreachable);
    for (const Link& link : randomLinks(random, n, random.below(3 * n + 1))) {
      ends.push_back({link.from, link.to});
      // Every other graph without the hostile costs: more run to the early stop.
      costs.push_back(seed % 2 == 0 && !std::isfinite(link.cost) ? 1.0 : link.cost);
    }
    if (n > 0) reference[0] = 0.0;
    if (seed % 5 == 0) {
      for (double& label : reference) label = linkCost(random);
    }
    std::vector<double> fast = reference;
    const int count = static_cast<int>(ends.size());
    const bool expected =
        detectNegativeCycle(count, ends.data(), costs.data(), n, reference.data());
    SCOPED_TRACE(::testing::Message() << "seed " << seed << " zones " << n << " links " << count);
    EXPECT_EQ(fast::detectNegativeCycle(count, ends.data(), costs.data(), n, fast.data()),
              expected);
    for (int z = 0; z < n; ++z) EXPECT_TRUE(sameBits(fast[z], reference[z])) << "label " << z;
    (expected ? negative : positive) += 1;
  }
  EXPECT_GE(negative, 50);
  EXPECT_GE(positive, 50);
}

}  // namespace
}  // namespace veldmark
