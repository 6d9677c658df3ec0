// One-to-all shortest paths on the road network's forward star.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "network/road_network.h"
#include "network/zone_set.h"

namespace veldmark {

// A heap entry: a node and its distance when it entered the heap or last fell.
struct HeapEntry {
  double distance;
  std::int32_t node;
};

// The work arrays of one tree computation, reused from origin to origin by
// one member of the team.
struct TreeScratch {
  std::vector<double> distance;     // per node, the cost from the origin
  std::vector<HeapEntry> heap;      // nodes reached and not yet settled: a 4-ary min-heap
                                    //   on (distance, node index), with decrease-key
  std::vector<std::int32_t> place;  // per node, its place in the heap, or -1
  std::vector<double> starCost;     // shortestPathTree's copy of the costs in star order
};

/// The link costs `linkCosts` in forward-star order, for trees that share
/// them: starCost[k] = linkCosts[network.outLinks[k]]. Prints nothing.
void costsInStarOrder(const RoadNetwork& network, const double* linkCosts,
                      std::vector<double>& starCost);

/// Dijkstra's method from node `origin` at the link costs `starCost`, given
/// in forward-star order (see costsInStarOrder; non-negative, one per
/// link): fills scratch.distance (infinity where no route reaches) and
/// `predecessor` (per node, the last link of its shortest route; -1 at the
/// origin and where none reaches; n entries). Unless zones.throughZones, a
/// zone node other than `origin` is reached but never passed through. Nodes
/// leave the heap (4-ary, with decrease-key) in order of (distance, node
/// index); a node's predecessor changes only on a strictly shorter route,
/// its links relaxed in forward-star order: the tree is fixed by the costs
/// alone. Allocates only when the scratch is new; prints nothing.
void shortestPathTreeInStarOrder(const RoadNetwork& network, const ZoneSet& zones, int origin,
                                 const double* starCost, std::int32_t* predecessor,
                                 TreeScratch& scratch);

/// The same tree at the link costs `linkCosts` in link order (copied into
/// scratch.starCost first: for a caller with one tree per set of costs).
void shortestPathTree(const RoadNetwork& network, const ZoneSet& zones, int origin,
                      const double* linkCosts, std::int32_t* predecessor, TreeScratch& scratch);

}  // namespace veldmark
