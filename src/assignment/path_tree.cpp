#include "assignment/path_tree.h"

#include <algorithm>
#include <limits>

namespace veldmark {
namespace {

constexpr int kArity = 4;

// True when entry x leaves the heap before entry y: (distance, index) order.
bool before(const HeapEntry& x, const HeapEntry& y) {
  return x.distance < y.distance || (x.distance == y.distance && x.node < y.node);
}

// Moves `entry` up from heap place `k` to where its key belongs.
void siftUp(TreeScratch& s, int k, HeapEntry entry) {
  while (k > 0) {
    const int parent = (k - 1) / kArity;
    if (!before(entry, s.heap[parent])) break;
    s.heap[k] = s.heap[parent];
    s.place[s.heap[k].node] = k;
    k = parent;
  }
  s.heap[k] = entry;
  s.place[entry.node] = k;
}

// Moves `entry` down from heap place `k` to where its key belongs.
void siftDown(TreeScratch& s, int k, HeapEntry entry) {
  const int size = static_cast<int>(s.heap.size());
  for (;;) {
    const int first = k * kArity + 1;
    if (first >= size) break;
    int least = first;
    for (int c = first + 1; c < std::min(first + kArity, size); ++c) {
      if (before(s.heap[c], s.heap[least])) least = c;
    }
    if (!before(s.heap[least], entry)) break;
    s.heap[k] = s.heap[least];
    s.place[s.heap[k].node] = k;
    k = least;
  }
  s.heap[k] = entry;
  s.place[entry.node] = k;
}

// Removes and returns the heap's least node.
std::int32_t popLeast(TreeScratch& s) {
  const std::int32_t least = s.heap.front().node;
  s.place[least] = -1;
  const HeapEntry last = s.heap.back();
  s.heap.pop_back();
  if (!s.heap.empty()) siftDown(s, 0, last);
  return least;
}

}  // namespace

void costsInStarOrder(const RoadNetwork& network, const double* linkCosts,
                      std::vector<double>& starCost) {
  starCost.resize(network.outLinks.size());
  for (std::size_t k = 0; k < starCost.size(); ++k) starCost[k] = linkCosts[network.outLinks[k]];
}

void shortestPathTree(const RoadNetwork& network, const ZoneSet& zones, int origin,
                      const double* linkCosts, std::int32_t* predecessor, TreeScratch& scratch) {
  costsInStarOrder(network, linkCosts, scratch.starCost);
  shortestPathTreeInStarOrder(network, zones, origin, scratch.starCost.data(), predecessor,
                              scratch);
}

void shortestPathTreeInStarOrder(const RoadNetwork& network, const ZoneSet& zones, int origin,
                                 const double* starCost, std::int32_t* predecessor,
                                 TreeScratch& scratch) {
  const int nodes = network.nodeCount();
  scratch.distance.assign(static_cast<std::size_t>(nodes), std::numeric_limits<double>::infinity());
  scratch.place.assign(static_cast<std::size_t>(nodes), -1);
  scratch.heap.clear();
  std::fill(predecessor, predecessor + nodes, -1);
  std::vector<double>& distance = scratch.distance;
  distance[origin] = 0.0;
  scratch.heap.push_back({0.0, origin});
  scratch.place[origin] = 0;
  while (!scratch.heap.empty()) {
    const std::int32_t i = popLeast(scratch);
    if (i != origin && !zones.throughZones && zones.nodeZone[i] >= 0) continue;
    const double d = distance[i];
    for (int k = network.firstOut[i]; k < network.firstOut[i + 1]; ++k) {
      const int j = network.outHead[k];
      const double through = d + starCost[k];  // d(j) = min d(i) + c(a)
      if (!(through < distance[j])) continue;
      const bool reached = distance[j] < std::numeric_limits<double>::infinity();
      distance[j] = through;
      predecessor[j] = network.outLinks[k];
      if (reached && scratch.place[j] < 0) continue;  // settled already (a zero-cost cycle)
      if (!reached) {
        scratch.place[j] = static_cast<std::int32_t>(scratch.heap.size());
        scratch.heap.push_back({through, j});
      }
      siftUp(scratch, scratch.place[j], {through, j});
    }
  }
}

}  // namespace veldmark
