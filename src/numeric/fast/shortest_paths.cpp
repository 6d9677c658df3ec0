#include "numeric/fast/shortest_paths.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <vector>

#include "numeric/thread_team.h"

namespace veldmark::fast {
namespace {

typedef double Doubles4 __attribute__((vector_size(32)));
typedef long long Masks4 __attribute__((vector_size(32)));
typedef int Ints4 __attribute__((vector_size(16)));

// D[j][k] = min(D[j][k], dji + D[i][k]) with P[j][k] = P[i][k] where it
// improves; the strict comparison is false for NaN, as in the scalar loop.
__attribute__((target_clones("avx2", "default"))) void relaxRow(double dji, const double* di,
                                                                const ZoneIndex* pi, double* dj,
                                                                ZoneIndex* pj, int n) {
  int k = 0;
  for (; k + 4 <= n; k += 4) {
    Doubles4 rowI, rowJ;
    Ints4 predI, predJ;
    std::memcpy(&rowI, di + k, sizeof rowI);
    std::memcpy(&rowJ, dj + k, sizeof rowJ);
    std::memcpy(&predI, pi + k, sizeof predI);
    std::memcpy(&predJ, pj + k, sizeof predJ);
    const Doubles4 sum = dji + rowI;
    const Masks4 better = sum < rowJ;
    const Ints4 better32 = __builtin_convertvector(better, Ints4);
    const Masks4 kept = ((Masks4)sum & better) | ((Masks4)rowJ & ~better);
    const Ints4 pred = (predI & better32) | (predJ & ~better32);
    std::memcpy(dj + k, &kept, sizeof kept);
    std::memcpy(pj + k, &pred, sizeof pred);
  }
  for (; k < n; ++k) {
    const double sum = dji + di[k];
    if (sum < dj[k]) {
      dj[k] = sum;
      pj[k] = pi[k];
    }
  }
}

// The scalar loop of one intermediate, exactly as the reference runs it.
void relaxScalar(int i, int n, ZoneIndexMatrix& p, DenseMatrix& d) {
  for (int j = 0; j < n; ++j) {
    for (int k = 0; k < n; ++k) {
      if (d[j][i] + d[i][k] < d[j][k]) {
        d[j][k] = d[j][i] + d[i][k];
        p[j][k] = p[i][k];
      }
    }
  }
}

// The largest entry of D (NaN entries, which never change, left out).
double largestEntry(int n, const DenseMatrix& d) {
  double largest = -INFINITY;
  for (int j = 0; j < n; ++j) {
    for (int k = 0; k < n; ++k) {
      if (d[j][k] > largest) largest = d[j][k];
    }
  }
  return largest;
}

double smallestInRow(const double* row, int n) {
  double smallest = INFINITY;
  for (int k = 0; k < n; ++k) {
    if (row[k] < smallest) smallest = row[k];
  }
  return smallest;
}

double smallestInColumn(const DenseMatrix& d, int column, int n) {
  double smallest = INFINITY;
  for (int j = 0; j < n; ++j) {
    if (d[j][column] < smallest) smallest = d[j][column];
  }
  return smallest;
}

// The destinations k that some origin could still improve through i:
// D[j][i] >= smallestColumn for every origin j, and rounding is monotone, so
// where smallestColumn + D[i][k] >= largest no sum D[j][i] + D[i][k] falls
// below an entry (a NaN sum never does).
void activeDestinations(const double* di, int n, double smallestColumn, double largest,
                        std::vector<int>& active) {
  active.clear();
  for (int k = 0; k < n; ++k) {
    if (smallestColumn + di[k] < largest) active.push_back(k);
  }
}

// The relaxation of one origin row restricted to the active destinations.
void relaxActive(double dji, const double* di, const ZoneIndex* pi, double* dj, ZoneIndex* pj,
                 const std::vector<int>& active) {
  for (int k : active) {
    const double sum = dji + di[k];
    if (sum < dj[k]) {
      dj[k] = sum;
      pj[k] = pi[k];
    }
  }
}

// What a member needs to know about intermediate i (D[i][i] >= 0) before it
// relaxes its rows through it; each member computes its own.
struct Intermediate {
  double smallest = 0.0;    // min of row i
  bool few = false;         // relax only the active destinations
  std::vector<int> active;  // destinations some origin could still improve
};

// The bounds of intermediate i, from row i and column i.
void prepareIntermediate(int i, int n, double largest, const DenseMatrix& d, Intermediate& step) {
  const double* di = d[i];
  step.smallest = smallestInRow(di, n);
  activeDestinations(di, n, smallestInColumn(d, i, n), largest, step.active);
  step.few = step.active.size() * 2 < static_cast<std::size_t>(n);
}

// Origin row j through intermediate i (D[i][i] >= 0). Row i and column i
// cannot change: D[i][i] + D[i][k] >= D[i][k] and D[j][i] + D[i][i] >=
// D[j][i]. So row i is skipped and column i is never written, even with the
// value it holds: the members read both while the others relax.
void relaxOrigin(int i, int j, int n, double largest, const Intermediate& step, ZoneIndexMatrix& p,
                 DenseMatrix& d) {
  if (j == i) return;
  const double dji = d[j][i];
  // Rounding is monotone: dji + D[i][k] >= dji + smallest >= D[j][k].
  if (!(dji + step.smallest < largest)) return;
  const double* di = d[i];
  const ZoneIndex* pi = p[i];
  if (step.few) {
    relaxActive(dji, di, pi, d[j], p[j], step.active);  // writes only where it improves
  } else {
    relaxRow(dji, di, pi, d[j], p[j], i);
    relaxRow(dji, di + i + 1, pi + i + 1, d[j] + i + 1, p[j] + i + 1, n - i - 1);
  }
}

// Origin rows a member takes at a time.
constexpr int kRowChunk = 8;

}  // namespace

void allPairsShortestPaths(int n, ZoneIndexMatrix& p, DenseMatrix& d, ThreadTeam* team) {
  // Entries only ever decrease, so the largest entry at the start bounds
  // every entry for the whole run.
  const double largest = largestEntry(n, d);
  std::vector<Intermediate> steps(team == nullptr ? 1 : team->size());
  std::vector<std::atomic<int>> nextRow(static_cast<std::size_t>(n));  // per intermediate, from 0
  for (Intermediate& step : steps) step.active.reserve(static_cast<std::size_t>(n));
  // Every member walks the intermediates in order and, one barrier apart,
  // relaxes origin rows through each: chunks of rows taken from a counter of
  // that intermediate, so that no member waits long for another. Each row is relaxed by one
  // member with the same operations as on one thread, so the split changes
  // no bit. When D[i][i] < 0 row i may change as the rows go by: member 0
  // runs the scalar loop alone, once every member has read D[i][i].
  shareRows(team, n, [&](int member, int members) {
    Intermediate& step = steps[member];
    for (int i = 0; i < n; ++i) {
      if (!(d[i][i] >= 0)) {
        if (members > 1) team->barrier();
        if (member == 0) relaxScalar(i, n, p, d);
      } else {
        prepareIntermediate(i, n, largest, d, step);
        for (int first; (first = nextRow[i].fetch_add(kRowChunk, std::memory_order_relaxed)) < n;) {
          const int end = std::min(first + kRowChunk, n);
          for (int j = first; j < end; ++j) relaxOrigin(i, j, n, largest, step, p, d);
        }
      }
      if (members > 1) team->barrier();
    }
  });
}
}  // namespace veldmark::fast
