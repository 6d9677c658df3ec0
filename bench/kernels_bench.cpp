// Benchmarks of the numeric kernels of a pivot pass, each fast kernel beside
// the straightforward reference one, on inputs shaped like the estimation's:
//
//  - Inverse and determinant: an L x L basis matrix that is the identity with
//    some columns replaced by 0/1 path vectors of 10 to 30 links (the basis
//    starts as the identity in every outer iteration, and each pivot pass
//    replaces one column by the incidence vector of a path). The replaced
//    columns are built so that the matrix is nonsingular (determinant 1).
//  - Floyd-Warshall and Bellman-Ford: a grid network of N zones with about
//    3 links per zone both ways (like veldmark_generate), positive link
//    prices, kUnreachable for the pairs without a link.
//
// The reference inverse at L = 3000 takes minutes per call, so it is
// registered at L = 100 and 1000 only; the other kernels run at every size.
// The size is the benchmark argument (L for matrices, N for graphs; the
// graphs have 3N links at these sizes).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <numeric>
#include <vector>

#include "estimation/linearised/limits.h"
#include "numeric/fast/lu_determinant.h"
#include "numeric/fast/matrix_inverse.h"
#include "numeric/fast/negative_cycle.h"
#include "numeric/fast/shortest_paths.h"
#include "numeric/lu_determinant.h"
#include "numeric/matrix_inverse.h"
#include "numeric/negative_cycle.h"
#include "numeric/shortest_paths.h"
#include "veldmark/constants.h"
#include "veldmark/types.h"

namespace {

using veldmark::DenseMatrix;
using veldmark::LinkZoneEnds;
using veldmark::ZoneIndex;
using veldmark::ZoneIndexMatrix;

// A small deterministic generator, so that every machine benchmarks the same
// inputs.
struct Random {
  std::uint64_t state;
  std::uint64_t next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    std::uint64_t x = state;
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdull;
    return x ^ (x >> 33);
  }
  int below(int bound) { return static_cast<int>(next() % static_cast<std::uint64_t>(bound)); }
  double unit() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }
};

// Columns replaced by paths: one per pivot pass of an outer iteration, which
// has at most kMaxPivotPasses passes; half that limit is a mid-iteration
// basis (a quarter of the columns when L is small).
int replacedColumns(int order) {
  return std::min(order / 4, veldmark::kMaxPivotPasses / 2);
}

// The identity of order `order` with replacedColumns(order) columns replaced
// by 0/1 path vectors of 10 to 30 entries. Taken in a random order
// c_1..c_m, column c_t holds a 1 in row c_t and its other entries in rows
// that are either not replaced or replaced earlier (c_s, s < t): the replaced
// block is then triangular with a unit diagonal, and the determinant is 1.
void makeBasis(int order, DenseMatrix& matrix) {
  veldmark::allocateSquareMatrix(matrix, order);
  for (int r = 0; r < order; ++r) {
    std::memset(matrix[r], 0, sizeof(double) * order);
    matrix[r][r] = 1.0;
  }
  Random random{0x5eed0000ull + static_cast<std::uint64_t>(order)};
  std::vector<int> columns(order);
  std::iota(columns.begin(), columns.end(), 0);
  for (int i = order; i > 1; --i) std::swap(columns[i - 1], columns[random.below(i)]);
  const int replaced = replacedColumns(order);
  // later[r]: row r is a replaced column that comes after the current one.
  std::vector<char> later(order, 0);
  for (int t = 0; t < replaced; ++t) later[columns[t]] = 1;
  for (int t = 0; t < replaced; ++t) {
    const int c = columns[t];
    later[c] = 0;
    const int length = std::min(order, 10 + random.below(21));
    int placed = 0;
    matrix[c][c] = 1.0;
    ++placed;
    while (placed < length) {
      const int r = random.below(order);
      if (later[r] || matrix[r][c] != 0.0) continue;
      matrix[r][c] = 1.0;
      ++placed;
    }
  }
}

const DenseMatrix& basis(int order) {
  static std::map<int, std::unique_ptr<DenseMatrix>> cache;
  auto& slot = cache[order];
  if (!slot) {
    slot = std::make_unique<DenseMatrix>();
    makeBasis(order, *slot);
  }
  return *slot;
}

// A grid network like veldmark_generate's: rows chained both ways, column 0
// chained both ways, then random vertical pairs until about 3 links per zone.
struct Network {
  int zones = 0;
  std::vector<LinkZoneEnds> links;
  std::vector<double> prices;  // positive, as after the estimation's price floor
  DenseMatrix costs;           // D as the pivot pass prepares it
  ZoneIndexMatrix predecessors;
};

void makeNetwork(int zones, Network& network) {
  network.zones = zones;
  Random random{0x9a1d0000ull + static_cast<std::uint64_t>(zones)};
  int columns = 1;
  while (columns * columns < zones) ++columns;
  auto both = [&](int a, int b) {
    network.links.push_back({a, b});
    network.links.push_back({b, a});
  };
  for (int z = 0; z < zones; ++z) {
    if (z % columns != 0) both(z - 1, z);
    if (z % columns == 0 && z >= columns) both(z - columns, z);
  }
  std::vector<int> candidates;
  for (int z = columns; z < zones; ++z) {
    if (z % columns != 0) candidates.push_back(z);
  }
  while (!candidates.empty() && static_cast<int>(network.links.size()) + 2 <= 3 * zones) {
    const int pick = random.below(static_cast<int>(candidates.size()));
    both(candidates[pick] - columns, candidates[pick]);
    candidates.erase(candidates.begin() + pick);
  }
  for (std::size_t v = 0; v < network.links.size(); ++v) {
    network.prices.push_back(0.1 + 10.0 * random.unit());
  }
  // D: 0 on the diagonal, kUnreachable elsewhere, then the link prices; P:
  // P[j][k] = j everywhere (as the workspace leaves it), P[from][to] = from.
  veldmark::allocateSquareMatrix(network.costs, zones);
  veldmark::allocateSquareMatrix(network.predecessors, zones);
  for (int j = 0; j < zones; ++j) {
    for (int k = 0; k < zones; ++k) {
      network.costs[j][k] = j == k ? 0.0 : veldmark::kUnreachable;
      network.predecessors[j][k] = j;
    }
  }
  for (std::size_t v = 0; v < network.links.size(); ++v) {
    network.costs[network.links[v].from][network.links[v].to] = network.prices[v];
    network.predecessors[network.links[v].from][network.links[v].to] = network.links[v].from;
  }
}

const Network& network(int zones) {
  static std::map<int, std::unique_ptr<Network>> cache;
  auto& slot = cache[zones];
  if (!slot) {
    slot = std::make_unique<Network>();
    makeNetwork(zones, *slot);
  }
  return *slot;
}

void copyMatrix(const DenseMatrix& from, DenseMatrix& to) {
  const int n = from.order;
  std::memcpy(to.entries.get(), from.entries.get(), sizeof(double) * n * n);
}

void copyMatrix(const ZoneIndexMatrix& from, ZoneIndexMatrix& to) {
  const int n = from.order;
  std::memcpy(to.entries.get(), from.entries.get(), sizeof(ZoneIndex) * n * n);
}

// An output matrix whose pages are already resident, so that no call pays for
// the first touch.
void allocateTouched(DenseMatrix& matrix, int n) {
  veldmark::allocateSquareMatrix(matrix, n);
  std::memset(matrix.entries.get(), 0, sizeof(double) * n * n);
}

// --- Inverse -----------------------------------------------------------------

void BM_InverseReference(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const DenseMatrix& a = basis(n);
  DenseMatrix out;
  allocateTouched(out, n);
  for (auto _ : state) {
    veldmark::invertMatrix(a, n, out);
    benchmark::DoNotOptimize(out[0]);
    benchmark::ClobberMemory();
  }
}

void BM_InverseFast(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const DenseMatrix& a = basis(n);
  DenseMatrix out;
  allocateTouched(out, n);
  // Kept between calls and already grown, as in the estimation after its
  // first pass.
  std::vector<double> scratch(static_cast<std::size_t>(n) * n, 0.0);
  for (auto _ : state) {
    veldmark::fast::invertMatrix(a, n, out, scratch);
    benchmark::DoNotOptimize(out[0]);
    benchmark::ClobberMemory();
  }
}

// --- Determinant -------------------------------------------------------------

void BM_DeterminantReference(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const DenseMatrix& a = basis(n);
  for (auto _ : state) benchmark::DoNotOptimize(veldmark::luDeterminant(a, n));
}

void BM_DeterminantFast(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const DenseMatrix& a = basis(n);
  std::vector<double> scratch(static_cast<std::size_t>(n) * n, 0.0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(veldmark::fast::luDeterminant(a, n, scratch));
  }
}

// --- Floyd-Warshall ----------------------------------------------------------
// The kernel works in place: D and P are restored from the prepared copies
// before every call, outside the timed region.

template <void (*Kernel)(int, ZoneIndexMatrix&, DenseMatrix&)>
void BM_FloydWarshall(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const Network& net = network(n);
  DenseMatrix costs;
  ZoneIndexMatrix predecessors;
  veldmark::allocateSquareMatrix(costs, n);
  veldmark::allocateSquareMatrix(predecessors, n);
  copyMatrix(net.costs, costs);
  copyMatrix(net.predecessors, predecessors);
  for (auto _ : state) {
    state.PauseTiming();
    copyMatrix(net.costs, costs);
    copyMatrix(net.predecessors, predecessors);
    state.ResumeTiming();
    Kernel(n, predecessors, costs);
    benchmark::DoNotOptimize(costs[0]);
    benchmark::ClobberMemory();
  }
}

// The fast kernel on one thread and on two.
void fastFloydWarshallOneThread(int n, ZoneIndexMatrix& p, DenseMatrix& d) {
  veldmark::fast::allPairsShortestPaths(n, p, d, nullptr);
}
void fastFloydWarshallTwoThreads(int n, ZoneIndexMatrix& p, DenseMatrix& d) {
  static veldmark::ThreadTeam team(2);
  veldmark::fast::allPairsShortestPaths(n, p, d, &team);
}

// --- Bellman-Ford ------------------------------------------------------------
// The labels are reset inside the timed region (N stores, as the estimation
// does before every test).

template <bool (*Kernel)(int, const LinkZoneEnds*, const double*, int, double*)>
void BM_BellmanFord(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const Network& net = network(n);
  std::vector<double> labels(n);
  const int linkCount = static_cast<int>(net.links.size());
  for (auto _ : state) {
    std::fill(labels.begin(), labels.end(), veldmark::kUnreachable);
    labels[0] = 0.0;
    benchmark::DoNotOptimize(
        Kernel(linkCount, net.links.data(), net.prices.data(), n, labels.data()));
    benchmark::ClobberMemory();
  }
}

}  // namespace

BENCHMARK(BM_InverseReference)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InverseFast)->Arg(100)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeterminantReference)->Arg(100)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeterminantFast)->Arg(100)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_FloydWarshall, veldmark::allPairsShortestPaths)
    ->Name("BM_FloydWarshallReference")
    ->Arg(100)
    ->Arg(400)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_FloydWarshall, fastFloydWarshallOneThread)
    ->Name("BM_FloydWarshallFast")
    ->Arg(100)
    ->Arg(400)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_FloydWarshall, fastFloydWarshallTwoThreads)
    ->Name("BM_FloydWarshallFastTwoThreads")
    ->Arg(400)
    ->Arg(1000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_BellmanFord, veldmark::detectNegativeCycle)
    ->Name("BM_BellmanFordReference")
    ->Arg(100)
    ->Arg(400)
    ->Arg(1000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_BellmanFord, veldmark::fast::detectNegativeCycle)
    ->Name("BM_BellmanFordFast")
    ->Arg(100)
    ->Arg(400)
    ->Arg(1000)
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
