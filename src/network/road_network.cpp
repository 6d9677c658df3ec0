#include "network/road_network.h"

namespace veldmark {
namespace {

// The index of node number `number`, appended when new.
int nodeOf(RoadNetwork& network, NodeId number) {
  const auto [entry, inserted] = network.nodeIndex.emplace(number, network.nodeCount());
  if (inserted) network.nodeNumbers.push_back(number);
  return entry->second;
}

}  // namespace

void addRoadLink(RoadNetwork& network, NodeId fromNode, NodeId toNode, const double* attributes,
                 int lineNumber) {
  network.from.push_back(nodeOf(network, fromNode));
  network.to.push_back(nodeOf(network, toNode));
  network.capacity.push_back(attributes[0]);
  network.length.push_back(attributes[1]);
  network.freeFlowTime.push_back(attributes[2]);
  network.b.push_back(attributes[3]);
  network.power.push_back(attributes[4]);
  network.toll.push_back(attributes[6]);
  network.lineNumbers.push_back(lineNumber);
}

void buildForwardStar(RoadNetwork& network) {
  const int nodes = network.nodeCount();
  const int links = network.linkCount();
  network.firstOut.assign(static_cast<std::size_t>(nodes) + 1, 0);
  for (int a = 0; a < links; ++a) ++network.firstOut[network.from[a] + 1];
  for (int i = 0; i < nodes; ++i) network.firstOut[i + 1] += network.firstOut[i];
  network.outLinks.assign(static_cast<std::size_t>(links), 0);
  std::vector<std::int32_t> next(network.firstOut.begin(), network.firstOut.end() - 1);
  for (int a = 0; a < links; ++a) network.outLinks[next[network.from[a]]++] = a;
  network.outHead.resize(static_cast<std::size_t>(links));
  for (int k = 0; k < links; ++k) network.outHead[k] = network.to[network.outLinks[k]];
}

}  // namespace veldmark
