#include "input/node_list.h"

#include "veldmark/file_name.h"

namespace veldmark {
namespace {

// Returns the position of `node` among `nodes`, or -1 when it is absent.
int positionOf(const std::vector<NodeId>& nodes, NodeId node) {
  for (int i = 0; i < static_cast<int>(nodes.size()); ++i) {
    if (nodes[i] == node) return i;
  }
  return -1;
}

// Appends `node` unless it is already listed; fails, naming the line of
// `link`, when the list is full.
Status addNode(const std::string& path, const LinkLine& link, NodeId node,
               std::vector<NodeId>& nodes) {
  if (positionOf(nodes, node) >= 0) return Status{};
  if (static_cast<int>(nodes.size()) == kMaxNodes) {
    return Status{displayName(path) + ":" + std::to_string(link.lineNumber) + ": more than " +
                  std::to_string(kMaxNodes) + " distinct nodes"};
  }
  nodes.push_back(node);
  return Status{};
}

}  // namespace

Status buildNodeList(const std::string& path, const std::vector<LinkLine>& links,
                     std::vector<NodeId>& nodes) {
  nodes.clear();
  nodes.reserve(kMaxNodes);
  for (const LinkLine& link : links) {
    if (Status status = addNode(path, link, link.from, nodes); !status.ok()) return status;
  }
  for (const LinkLine& link : links) {
    if (Status status = addNode(path, link, link.to, nodes); !status.ok()) return status;
  }
  return Status{};
}

void mapLinksToZones(AbstractNetwork& network) {
  network.linkZones.clear();
  for (const LinkEndpoints& link : network.endpoints) {
    network.linkZones.push_back(LinkZoneEnds{positionOf(network.zoneList, link.from),
                                             positionOf(network.zoneList, link.to)});
  }
}

std::vector<std::uint8_t> buildZoneFlags(const std::vector<NodeId>& baseNodes,
                                         const std::vector<NodeId>& zoneList) {
  std::vector<std::uint8_t> flags(baseNodes.size(), 0);
  for (std::size_t i = 0; i < baseNodes.size(); ++i) {
    flags[i] = positionOf(zoneList, baseNodes[i]) >= 0 ? 1 : 0;
  }
  return flags;
}

}  // namespace veldmark
