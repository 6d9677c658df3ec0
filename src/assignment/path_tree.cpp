#include "assignment/path_tree.h"

#include <algorithm>
#include <limits>

namespace veldmark {
namespace {

constexpr int kArity = 4;

// True when node i leaves the heap before node j: (distance, index) order.
bool before(const std::vector<double>& distance, std::int32_t i, std::int32_t j) {
  return distance[i] < distance[j] || (distance[i] == distance[j] && i < j);
}

// Moves the node at heap place `k` up to where its key belongs.
void siftUp(TreeScratch& s, int k) {
  const std::int32_t node = s.heap[k];
  while (k > 0) {
    const int parent = (k - 1) / kArity;
    if (!before(s.distance, node, s.heap[parent])) break;
    s.heap[k] = s.heap[parent];
    s.place[s.heap[k]] = k;
    k = parent;
  }
  s.heap[k] = node;
  s.place[node] = k;
}

// Moves the node at heap place `k` down to where its key belongs.
void siftDown(TreeScratch& s, int k) {
  const int size = static_cast<int>(s.heap.size());
  const std::int32_t node = s.heap[k];
  for (;;) {
    const int first = k * kArity + 1;
    if (first >= size) break;
    int least = first;
    for (int c = first + 1; c < std::min(first + kArity, size); ++c) {
      if (before(s.distance, s.heap[c], s.heap[least])) least = c;
    }
    if (!before(s.distance, s.heap[least], node)) break;
    s.heap[k] = s.heap[least];
    s.place[s.heap[k]] = k;
    k = least;
  }
  s.heap[k] = node;
  s.place[node] = k;
}

// Removes and returns the heap's least node.
std::int32_t popLeast(TreeScratch& s) {
  const std::int32_t least = s.heap.front();
  s.place[least] = -1;
  const std::int32_t last = s.heap.back();
  s.heap.pop_back();
  if (!s.heap.empty()) {
    s.heap.front() = last;
    siftDown(s, 0);
  }
  return least;
}

}  // namespace

void shortestPathTree(const RoadNetwork& network, const ZoneSet& zones, int origin,
                      const double* linkCosts, std::int32_t* predecessor, TreeScratch& scratch) {
  const int nodes = network.nodeCount();
  scratch.distance.assign(static_cast<std::size_t>(nodes), std::numeric_limits<double>::infinity());
  scratch.place.assign(static_cast<std::size_t>(nodes), -1);
  scratch.heap.clear();
  std::fill(predecessor, predecessor + nodes, -1);
  std::vector<double>& distance = scratch.distance;
  distance[origin] = 0.0;
  scratch.heap.push_back(origin);
  scratch.place[origin] = 0;
  while (!scratch.heap.empty()) {
    const std::int32_t i = popLeast(scratch);
    if (i != origin && !zones.throughZones && zones.nodeZone[i] >= 0) continue;
    const double d = distance[i];
    for (int k = network.firstOut[i]; k < network.firstOut[i + 1]; ++k) {
      const int a = network.outLinks[k];
      const int j = network.to[a];
      const double through = d + linkCosts[a];  // d(j) = min d(i) + c(a)
      if (!(through < distance[j])) continue;
      const bool reached = distance[j] < std::numeric_limits<double>::infinity();
      distance[j] = through;
      predecessor[j] = a;
      if (reached && scratch.place[j] < 0) continue;  // settled already (a zero-cost cycle)
      if (!reached) {
        scratch.place[j] = static_cast<std::int32_t>(scratch.heap.size());
        scratch.heap.push_back(j);
      }
      siftUp(scratch, scratch.place[j]);
    }
  }
}

}  // namespace veldmark
