#include "input/abstract_network.h"

#include "input/link_file.h"
#include "input/node_list.h"

namespace veldmark {

Status buildAbstractNetwork(const std::string& path, const std::vector<LinkLine>& lines,
                            AbstractNetwork& network, int maxNodes) {
  storeAbstractLinks(path, lines, network);
  if (Status status = buildNodeList(path, lines, network.zoneList, maxNodes); !status.ok()) {
    return status;
  }
  mapLinksToZones(network);
  return Status{};
}

Status readAbstractNetwork(const std::string& path, AbstractNetwork& network,
                           const NetworkLimits& limits) {
  std::vector<LinkLine> lines;
  if (Status status = readLinkFile(path, lines, limits.links); !status.ok()) return status;
  return buildAbstractNetwork(path, lines, network, limits.nodes);
}

}  // namespace veldmark
