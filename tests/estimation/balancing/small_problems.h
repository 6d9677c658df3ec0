// Route sets and road networks small enough to solve by hand, shared by the
// tests of the balancing methods (the closed forms of the notes on
// estimation, section 6).
#pragma once

#include <cstdint>
#include <vector>

#include "assignment/route_set.h"
#include "network/road_network.h"

namespace veldmark::testing {

// One route of a pair: its links and its share.
struct HandRoute {
  std::vector<std::int32_t> links;
  double share = 1.0;
};

/// A route set over `links` links: pair p has the routes routes[p] (origin
/// p, destination p + 1: only the count of pairs matters to the products).
inline RouteSet handRoutes(int links, const std::vector<std::vector<HandRoute>>& routes) {
  RouteSet set;
  set.linkCount = links;
  set.firstRoute = {0};
  set.firstLink = {0};
  for (std::size_t p = 0; p < routes.size(); ++p) {
    std::vector<std::vector<std::int32_t>> lists;
    std::vector<double> shares;
    for (const HandRoute& route : routes[p]) {
      lists.push_back(route.links);
      shares.push_back(route.share);
    }
    appendPair(set, ZonePair{static_cast<int>(p), static_cast<int>(p) + 1}, lists, shares);
  }
  return set;
}

/// The chain A→B→C of the notes: links AB (0) and BC (1); pairs AB, AC, BC.
inline RouteSet chainRoutes() {
  return handRoutes(2, {{{{0}}}, {{{0, 1}}}, {{{1}}}});
}

/// One pair on two routes split 50/50, each route one link.
inline RouteSet twoRoutes() {
  return handRoutes(2, {{{{0}, 0.5}, {{1}, 0.5}}});
}

/// A road link's eight attributes: capacity, length, free-flow time, b, power.
inline void addLink(RoadNetwork& network, NodeId from, NodeId to, double capacity, double time,
                    double b) {
  const double attributes[8] = {capacity, 1.0, time, b, 4.0, 0.0, 0.0, 0.0};
  addRoadLink(network, from, to, attributes, network.linkCount() + 9);
}

/// Four nodes: 1 and 2 are joined by a fast congestible road 1→3→2 and a
/// slower one 1→4→2, both ways, so that a pair's trips split between two
/// routes at equilibrium; 3 and 4 are junctions.
inline RoadNetwork diamondNetwork() {
  RoadNetwork network;
  network.path = "diamond.txt";
  addLink(network, 1, 3, 100.0, 1.0, 0.15);
  addLink(network, 3, 2, 100.0, 1.0, 0.15);
  addLink(network, 1, 4, 100.0, 1.5, 0.15);
  addLink(network, 4, 2, 100.0, 1.5, 0.15);
  addLink(network, 2, 3, 100.0, 1.0, 0.15);
  addLink(network, 3, 1, 100.0, 1.0, 0.15);
  addLink(network, 2, 4, 100.0, 1.5, 0.0);
  addLink(network, 4, 1, 100.0, 1.5, 0.0);
  buildForwardStar(network);
  return network;
}

}  // namespace veldmark::testing
