#include "input/node_list.h"

#include <unordered_map>

#include "veldmark/file_name.h"

namespace veldmark {
namespace {

// Each node's position in a list of distinct nodes.
using NodePositions = std::unordered_map<NodeId, int>;

NodePositions positionsOf(const std::vector<NodeId>& nodes) {
  NodePositions positions;
  positions.reserve(nodes.size());
  for (int i = 0; i < static_cast<int>(nodes.size()); ++i) positions.emplace(nodes[i], i);
  return positions;
}

int positionOf(const NodePositions& positions, NodeId node) {
  const auto found = positions.find(node);
  return found == positions.end() ? -1 : found->second;
}

// Appends `node` unless it is already listed; fails, naming the line of
// `link`, when the list is full.
Status addNode(const std::string& path, const LinkLine& link, NodeId node, int maxNodes,
               std::vector<NodeId>& nodes, NodePositions& positions) {
  if (positions.count(node) != 0) return Status{};
  if (static_cast<int>(nodes.size()) == maxNodes) {
    return Status{displayName(path) + ":" + std::to_string(link.lineNumber) + ": more than " +
                  std::to_string(maxNodes) + " distinct nodes"};
  }
  positions.emplace(node, static_cast<int>(nodes.size()));
  nodes.push_back(node);
  return Status{};
}

}  // namespace

Status buildNodeList(const std::string& path, const std::vector<LinkLine>& links,
                     std::vector<NodeId>& nodes, int maxNodes) {
  nodes.clear();
  NodePositions positions;
  for (const LinkLine& link : links) {
    Status status = addNode(path, link, link.from, maxNodes, nodes, positions);
    if (!status.ok()) return status;
  }
  for (const LinkLine& link : links) {
    Status status = addNode(path, link, link.to, maxNodes, nodes, positions);
    if (!status.ok()) return status;
  }
  return Status{};
}

void mapLinksToZones(AbstractNetwork& network) {
  const NodePositions positions = positionsOf(network.zoneList);
  network.linkZones.clear();
  for (const LinkEndpoints& link : network.endpoints) {
    network.linkZones.push_back(
        LinkZoneEnds{positionOf(positions, link.from), positionOf(positions, link.to)});
  }
}

std::vector<std::uint8_t> buildZoneFlags(const std::vector<NodeId>& baseNodes,
                                         const std::vector<NodeId>& zoneList) {
  const NodePositions positions = positionsOf(zoneList);
  std::vector<std::uint8_t> flags(baseNodes.size(), 0);
  for (std::size_t i = 0; i < baseNodes.size(); ++i) {
    flags[i] = positionOf(positions, baseNodes[i]) >= 0 ? 1 : 0;
  }
  return flags;
}

}  // namespace veldmark
