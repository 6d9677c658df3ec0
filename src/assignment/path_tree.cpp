#include "assignment/path_tree.h"

#include <algorithm>
#include <functional>
#include <limits>

namespace veldmark {

void shortestPathTree(const RoadNetwork& network, const ZoneSet& zones, int origin,
                      const double* linkCosts, std::int32_t* predecessor, TreeScratch& scratch) {
  const int nodes = network.nodeCount();
  std::vector<double>& distance = scratch.distance;
  std::vector<std::pair<double, int>>& heap = scratch.heap;
  const auto later = std::greater<std::pair<double, int>>();
  distance.assign(static_cast<std::size_t>(nodes), std::numeric_limits<double>::infinity());
  std::fill(predecessor, predecessor + nodes, -1);
  heap.clear();
  distance[origin] = 0.0;
  heap.emplace_back(0.0, origin);
  while (!heap.empty()) {
    std::pop_heap(heap.begin(), heap.end(), later);
    const auto [d, i] = heap.back();
    heap.pop_back();
    if (d > distance[i]) continue;  // a stale entry: i left the heap before
    if (i != origin && !zones.throughZones && zones.nodeZone[i] >= 0) continue;
    for (int k = network.firstOut[i]; k < network.firstOut[i + 1]; ++k) {
      const int a = network.outLinks[k];
      const int j = network.to[a];
      const double through = d + linkCosts[a];  // d(j) = min d(i) + c(a)
      if (through < distance[j]) {
        distance[j] = through;
        predecessor[j] = a;
        heap.emplace_back(through, j);
        std::push_heap(heap.begin(), heap.end(), later);
      }
    }
  }
}

}  // namespace veldmark
