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

// The row kernel is built for AVX2 and for any x86-64 processor, the choice
// made when the program loads. ThreadSanitizer's runtime starts after that
// choice would be made, so its builds take the plain kernel alone (the two
// give the same bits: the same operations, rounded one by one).
#if defined(__SANITIZE_THREAD__)
#define ROW_CLONES
#else
#define ROW_CLONES __attribute__((target_clones("avx2", "default")))
#endif

// D[j][k] = min(D[j][k], dji + D[i][k]) with P[j][k] = P[i][k] where it
// improves; the strict comparison is false for NaN, as in the scalar loop.
ROW_CLONES void relaxRow(double dji, const double* di, const ZoneIndex* pi, double* dj,
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
// below an entry (a NaN sum never does). Writes them to active[0, count)
// (room for n) and returns row i's least entry.
double activeDestinations(const double* di, int n, double smallestColumn, double largest,
                          int* active, int& count) {
  count = 0;
  double smallest = INFINITY;
  for (int k = 0; k < n; ++k) {
    active[count] = k;
    count += (smallestColumn + di[k] < largest) ? 1 : 0;
    smallest = di[k] < smallest ? di[k] : smallest;
  }
  return smallest;
}

// The relaxation of one origin row restricted to the active destinations.
void relaxActive(double dji, const double* di, const ZoneIndex* pi, double* dj, ZoneIndex* pj,
                 const int* active, int count) {
  for (int e = 0; e < count; ++e) {
    const int k = active[e];
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
  std::vector<int> active;  // n entries: the destinations some origin could still improve
  int activeCount = 0;      // ... in active[0, activeCount)
};

// The bounds of intermediate i, from row i and the least entry of column i.
void prepareIntermediate(int i, int n, double smallestColumn, double largest, const DenseMatrix& d,
                         Intermediate& step) {
  step.smallest =
      activeDestinations(d[i], n, smallestColumn, largest, step.active.data(), step.activeCount);
  step.few = step.activeCount * 2 < n;
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
    // Writes only where it improves.
    relaxActive(dji, di, pi, d[j], p[j], step.active.data(), step.activeCount);
  } else {
    relaxRow(dji, di, pi, d[j], p[j], i);
    relaxRow(dji, di + i + 1, pi + i + 1, d[j] + i + 1, p[j] + i + 1, n - i - 1);
  }
}

// Origin rows a member takes at a time.
constexpr int kRowChunk = 32;

// Calls relax(j) for every origin row j of one intermediate, each on one
// member: a member takes chunks of its own block of rows first (the rows its
// core's cache held at the intermediate before), then the chunks left in the
// other members' blocks. `next` holds the next row of each block, from its
// first.
template <typename Relax>
void dealRows(std::atomic<int>* next, int n, int member, int members, Relax relax) {
  for (int turn = 0; turn < members; ++turn) {
    const int owner = (member + turn) % members;
    const int end = blockFirst(n, owner + 1, members);
    for (int first; (first = next[owner].fetch_add(kRowChunk, std::memory_order_relaxed)) < end;) {
      for (int j = first; j < std::min(first + kRowChunk, end); ++j) relax(j);
    }
  }
}

// A member's least entry of the column of the next intermediate, alone on
// its cache line.
struct alignas(64) ColumnPart {
  double smallest = INFINITY;
};

// The least of the members' parts (any order: the least of the same values).
double leastOfParts(const ColumnPart* parts, int members) {
  double smallest = INFINITY;
  for (int m = 0; m < members; ++m) {
    if (parts[m].smallest < smallest) smallest = parts[m].smallest;
  }
  return smallest;
}

// What the members share while they walk the intermediates.
struct Walk {
  int n = 0;
  double largest = 0.0;
  int stride = 1;                      // block counters per intermediate
  std::vector<std::atomic<int>> next;  // per intermediate, the next row of each block
  std::vector<ColumnPart> parts;       // per parity of the intermediate, one per member
};

// Member `member` relaxes its rows through intermediate i (D[i][i] >= 0) and
// leaves in its part the least entry of column i + 1 over them: the column of
// the next intermediate, which none of the next one's relaxations writes.
void relaxThrough(Walk& walk, int i, int member, int members, double smallestColumn,
                  Intermediate& step, ZoneIndexMatrix& p, DenseMatrix& d) {
  const int n = walk.n;
  prepareIntermediate(i, n, smallestColumn, walk.largest, d, step);
  const int after = i + 1 < n ? i + 1 : i;
  double smallestAfter = INFINITY;
  std::atomic<int>* next = walk.next.data() + static_cast<std::size_t>(i) * walk.stride;
  dealRows(next, n, member, members, [&](int j) {
    relaxOrigin(i, j, n, walk.largest, step, p, d);
    if (d[j][after] < smallestAfter) smallestAfter = d[j][after];
  });
  walk.parts[static_cast<std::size_t>(((i + 1) & 1) * walk.stride + member)].smallest =
      smallestAfter;
}

// Sets up the walk over n intermediates for a team of `stride` members (1
// without a team). Entries only ever decrease, so the largest entry at the
// start bounds every entry for the whole walk. The block counters start as
// blocks of the whole team; a body run on one member alone has one block,
// the whole of [0, n), from counter 0.
void startWalk(Walk& walk, int n, const DenseMatrix& d, int stride) {
  walk.n = n;
  walk.largest = largestEntry(n, d);
  walk.stride = stride;
  walk.next = std::vector<std::atomic<int>>(static_cast<std::size_t>(n) * stride);
  for (int i = 0; i < n; ++i) {
    for (int m = 0; m < stride; ++m) {
      walk.next[static_cast<std::size_t>(i) * stride + m] = blockFirst(n, m, stride);
    }
  }
  walk.parts.resize(static_cast<std::size_t>(2 * stride));
}

}  // namespace

void allPairsShortestPaths(int n, ZoneIndexMatrix& p, DenseMatrix& d, ThreadTeam* team) {
  Walk walk;
  startWalk(walk, n, d, team == nullptr ? 1 : team->size());
  std::vector<Intermediate> steps(static_cast<std::size_t>(walk.stride));
  for (Intermediate& step : steps) step.active.resize(static_cast<std::size_t>(n));
  // Every member walks the intermediates in order and, one barrier apart,
  // relaxes origin rows through each (see dealRows). Each row is relaxed by
  // one member with the same operations as on one thread, so the split
  // changes no bit; the bounds of an intermediate only decide which
  // operations can be skipped because they change nothing. When D[i][i] < 0
  // row i may change as the rows go by: member 0 runs the scalar loop alone,
  // once every member has read D[i][i].
  shareRows(team, n, [&](int member, int members) {
    bool partsHoldColumn = false;  // the parts hold the least entry of column i
    for (int i = 0; i < n; ++i) {
      if (!(d[i][i] >= 0)) {
        if (members > 1) team->barrier();
        if (member == 0) relaxScalar(i, n, p, d);
        partsHoldColumn = false;
      } else {
        const ColumnPart* parts = walk.parts.data() + (i & 1) * walk.stride;
        const double smallestColumn =
            partsHoldColumn ? leastOfParts(parts, members) : smallestInColumn(d, i, n);
        relaxThrough(walk, i, member, members, smallestColumn, steps[member], p, d);
        partsHoldColumn = true;
      }
      if (members > 1) team->barrier();
    }
  });
}

}  // namespace veldmark::fast
