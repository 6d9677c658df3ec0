// An origin's bush: the acyclic sub-network of the road network that carries
// the trips leaving one origin node, with each link's share of them (the
// origin's link flows). Nodes are held in a topological order, each with its
// incoming bush links, so that a pass from the origin outwards (or back)
// visits every link once.
#pragma once

#include <cstdint>
#include <vector>

#include "network/road_network.h"

namespace veldmark {

struct Bush {
  std::int32_t originNode = -1;       // node index where the trips start
  std::vector<std::int32_t> order;    // the bush's nodes in topological order, origin first
  std::vector<std::int32_t> firstIn;  // node order[k]'s in-links: entries [firstIn[k],
                                      //   firstIn[k+1]); size order.size() + 1
  std::vector<std::int32_t> inLink;   // per entry, a link index of the road network
  std::vector<std::int32_t> inTail;   // per entry, the position in `order` of the link's tail
  std::vector<double> flow;           // per entry, the origin's trips on the link (x_a^o >= 0)

  int nodeCount() const { return static_cast<int>(order.size()); }
  int entryCount() const { return static_cast<int>(inLink.size()); }
};

// Work arrays for building bushes, reused from origin to origin by one
// thread. `position` is kept at -1 between uses.
struct BushBuild {
  std::vector<std::int32_t> position;  // per node, its position in the bush being built, or -1
  std::vector<std::int32_t> pending;   // per node, its in-links not yet ordered
  std::vector<std::int32_t> firstOut;  // per node + 1, the entries leaving it (counting sort)
  std::vector<std::int32_t> outEntry;  // entries by tail node
  std::vector<std::int32_t> byHead;    // entries by head position
  std::vector<std::int32_t> links;     // the entries to build from: link indices ...
  std::vector<double> flows;           //   ... and their flows
  std::vector<std::uint8_t> linkMark;  // per link, 1 while it is in the bush at hand (else 0)
};

/// Makes `bush` the bush of origin node `originNode` over the links
/// build.links with flows build.flows (no link twice, every tail reached
/// from the origin through them, no cycle, no link into the origin). The
/// order is Kahn's: a queue that starts at the origin and takes a node once
/// its last in-link is ordered, out-links in the order given; each node's
/// in-links keep the order given. The result is fixed by the input alone.
/// Leaves build.position at -1. Allocates only as the arrays grow; prints nothing.
void makeBush(const RoadNetwork& network, std::int32_t originNode, BushBuild& build, Bush& bush);

/// Bytes held by the bush's arrays (their capacities).
std::int64_t bushBytes(const Bush& bush);

}  // namespace veldmark
