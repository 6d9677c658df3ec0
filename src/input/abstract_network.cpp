#include "input/abstract_network.h"

#include "input/link_file.h"
#include "input/node_list.h"

namespace veldmark {

Status buildAbstractNetwork(const std::string& path, const std::vector<LinkLine>& lines,
                            AbstractNetwork& network) {
  storeAbstractLinks(path, lines, network);
  if (Status status = buildNodeList(path, lines, network.zoneList); !status.ok()) return status;
  mapLinksToZones(network);
  return Status{};
}

Status readAbstractNetwork(const std::string& path, AbstractNetwork& network) {
  std::vector<LinkLine> lines;
  if (Status status = readLinkFile(path, lines); !status.ok()) return status;
  return buildAbstractNetwork(path, lines, network);
}

}  // namespace veldmark
