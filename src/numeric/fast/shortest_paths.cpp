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
// relaxes its rows through it; each member prepares its own when it takes
// its first chunk of the intermediate.
struct Intermediate {
  int i = -1;               // the intermediate prepared for
  double smallest = 0.0;    // min of row i
  bool few = false;         // relax only the active destinations
  std::vector<int> active;  // n entries: the destinations some origin could still improve
  int activeCount = 0;      // ... in active[0, activeCount)
};

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

// A member's least entry of the column of intermediate `step` + 1 over the
// rows it relaxed through `step`, alone on its cache line.
struct alignas(64) ColumnPart {
  int step = -1;
  double smallest = INFINITY;
};

// What the members share while they walk the intermediates.
struct Walk {
  int n = 0;
  double largest = 0.0;
  bool scalar = false;                // the current intermediate has D[i][i] < 0
  bool columnKept = false;            // the parts hold the least entry of the current column
  std::vector<Intermediate> members;  // one per member
  // Two sets of one part per member: intermediate i writes set i % 2 while
  // a member that joins i late still reads set (i - 1) % 2.
  std::vector<ColumnPart> parts;

  ColumnPart& part(int step, int member) {
    return parts[static_cast<std::size_t>((step & 1) * members.size() + member)];
  }
};

// The least entry of column i: from the parts the members left at
// intermediate i - 1 (whose relaxations never write column i; each row was
// relaxed by one member), or read down the column.
double smallestColumn(Walk& walk, int i, const DenseMatrix& d) {
  if (!walk.columnKept) return smallestInColumn(d, i, walk.n);
  double smallest = INFINITY;
  for (std::size_t m = 0; m < walk.members.size(); ++m) {
    const ColumnPart& part = walk.part(i - 1, static_cast<int>(m));
    if (part.step == i - 1 && part.smallest < smallest) smallest = part.smallest;
  }
  return smallest;
}

// Member `member` relaxes origin rows [first, end) through intermediate i
// (D[i][i] >= 0) and keeps in its part the least entry of column i + 1 over
// the rows it has relaxed through i.
void relaxThrough(Walk& walk, int i, int first, int end, int member, ZoneIndexMatrix& p,
                  DenseMatrix& d) {
  const int n = walk.n;
  Intermediate& step = walk.members[member];
  if (step.i != i) {
    step.i = i;
    step.smallest = activeDestinations(d[i], n, smallestColumn(walk, i, d), walk.largest,
                                       step.active.data(), step.activeCount);
    step.few = step.activeCount * 2 < n;
  }
  const int after = i + 1 < n ? i + 1 : i;
  ColumnPart& part = walk.part(i, member);
  double smallestAfter = part.step == i ? part.smallest : INFINITY;
  for (int j = first; j < end; ++j) {
    relaxOrigin(i, j, n, walk.largest, step, p, d);
    if (d[j][after] < smallestAfter) smallestAfter = d[j][after];
  }
  part.step = i;
  part.smallest = smallestAfter;
}

}  // namespace

void allPairsShortestPaths(int n, ZoneIndexMatrix& p, DenseMatrix& d, ThreadTeam* team) {
  // Entries only ever decrease, so the largest entry at the start bounds
  // every entry for the whole walk.
  Walk walk;
  walk.n = n;
  walk.largest = largestEntry(n, d);
  const std::size_t members = team == nullptr ? 1 : team->size();
  walk.members.resize(members);
  walk.parts.resize(2 * members);
  for (Intermediate& step : walk.members) step.active.resize(static_cast<std::size_t>(n));
  // One step per intermediate, in order; the origin rows of a step are
  // relaxed in chunks, each by one member with the same operations as on
  // one thread, so the split changes no bit; the bounds of an intermediate
  // only decide which operations can be skipped because they change
  // nothing. When D[i][i] < 0 row i may change as the rows go by: the step
  // is one item, the scalar loop, on one member.
  const std::function<int(int)> start = [&](int i) {
    walk.columnKept = i > 0 && !walk.scalar;
    walk.scalar = !(d[i][i] >= 0);
    return walk.scalar ? 1 : n;
  };
  const std::function<void(int, int, int, int)> relax = [&](int i, int first, int end, int member) {
    if (walk.scalar) {
      relaxScalar(i, n, p, d);
    } else {
      relaxThrough(walk, i, first, end, member, p, d);
    }
  };
  if (team == nullptr) {
    for (int i = 0; i < n; ++i) relax(i, 0, start(i), 0);
  } else {
    team->runSteps(n, n, chunkRows(team, n), start, relax);
  }
}

}  // namespace veldmark::fast
