// Road networks built in memory for the assignment's tests.
#pragma once

#include <random>
#include <vector>

#include "network/road_network.h"
#include "network/zone_set.h"

namespace veldmark::testing {

// One link: node numbers and the cost curve fft · (1 + b · (v / cap)^power).
struct TestLink {
  NodeId from, to;
  double freeFlowTime, b = 0.0, capacity = 1.0, power = 1.0;
};

inline RoadNetwork makeNetwork(const std::vector<TestLink>& links) {
  RoadNetwork network;
  int line = 9;
  for (const TestLink& link : links) {
    const double attributes[8] = {
        link.capacity, 1.0, link.freeFlowTime, link.b, link.power, 0, 0, 0};
    addRoadLink(network, link.from, link.to, attributes, line++);
  }
  buildForwardStar(network);
  return network;
}

inline ZoneSet makeZones(const RoadNetwork& network, const std::vector<NodeId>& numbers,
                         bool throughZones) {
  ZoneSet zones;
  makeZoneSet(network, numbers, throughZones, "test", zones);
  return zones;
}

// `nodes` nodes numbered 1 .. nodes, a ring through them all (so every node
// reaches every other) and `extra` random links; integer free-flow times
// 0 .. 9 (ties on purpose), b and capacity random, power 4.
inline RoadNetwork randomNetwork(int nodes, int extra, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> node(1, nodes), time(0, 9), curve(0, 3);
  std::vector<TestLink> links;
  for (int i = 1; i <= nodes; ++i) {
    links.push_back({i, i % nodes + 1, static_cast<double>(time(random)), 0.15 * curve(random),
                     50.0 + 25.0 * curve(random), 4.0});
  }
  while (static_cast<int>(links.size()) < nodes + extra) {
    const int from = node(random), to = node(random);
    if (from == to) continue;
    links.push_back({from, to, static_cast<double>(time(random)), 0.15 * curve(random),
                     50.0 + 25.0 * curve(random), 4.0});
  }
  return makeNetwork(links);
}

}  // namespace veldmark::testing
