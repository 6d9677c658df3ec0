// The road network of an assignment: nodes numbered 0 .. n-1 in order of
// first appearance, links in file order with the attributes the link cost
// reads, and a forward star (CSR) of each node's outgoing links.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "veldmark/types.h"

namespace veldmark {

struct RoadNetwork {
  std::string path;                           // the file it was read from (for messages)
  std::vector<NodeId> nodeNumbers;            // per node index, its number in the file; size n
  std::unordered_map<NodeId, int> nodeIndex;  // node number -> index into nodeNumbers
  std::vector<std::int32_t> from, to;         // per link (file order), its end node indices
  std::vector<double> capacity;               // per link, attribute 1 (vehicles per period)
  std::vector<double> length;                 // per link, attribute 2
  std::vector<double> freeFlowTime;           // per link, attribute 3
  std::vector<double> b, power;               // per link, attributes 4 and 5 (cost curve)
  std::vector<double> toll;                   // per link, attribute 7
  std::vector<int> lineNumbers;               // per link, its 1-based line in the file
  std::vector<std::int32_t> firstOut;         // forward star: node i's links are
  std::vector<std::int32_t> outLinks;  //   outLinks[firstOut[i] .. firstOut[i+1]), file order
  std::vector<std::int32_t> outHead;   // per forward-star slot k, to[outLinks[k]]

  int nodeCount() const { return static_cast<int>(nodeNumbers.size()); }
  int linkCount() const { return static_cast<int>(from.size()); }
};

/// Returns the index of node number `number` in `network`, or -1.
inline int findNode(const RoadNetwork& network, NodeId number) {
  const auto found = network.nodeIndex.find(number);
  return found == network.nodeIndex.end() ? -1 : found->second;
}

/// Adds the link from node number `fromNode` to `toNode` (nodes new to the
/// network get the next indices) with its attributes at `lineNumber`.
/// Leaves the forward star stale: call buildForwardStar after the last link.
void addRoadLink(RoadNetwork& network, NodeId fromNode, NodeId toNode, const double* attributes,
                 int lineNumber);

/// Fills network.firstOut, network.outLinks and network.outHead from the links: each node's
/// outgoing links in file order (a stable counting sort). O(nodes + links).
void buildForwardStar(RoadNetwork& network);

}  // namespace veldmark
