#include "tiny_network.h"

#include "estimation/linearised/limits.h"
#include "fuzz_support.h"
#include "input/link_file.h"
#include "input/node_list.h"

namespace veldmark::fuzz {

std::vector<std::string> tinyNetworkFiles(const std::uint8_t* data, std::size_t size) {
  static const std::string kLinkHead =
      "fuzz network\nm2\nm3\nm4\nm5\nm6\nm7\nfrom to a1 a2 a3 a4 a5 a6 a7 a8\n";
  static const std::string kFlowHead = "fuzz flows\nm2\nm3\nm4\nm5\nfrom to   flow second\n";
  std::vector<std::string> files;
  for (const std::string_view piece : splitInput(data, size, kFileSeparator, 3)) {
    files.push_back((files.size() < 2 ? kLinkHead : kFlowHead) + std::string(piece));
  }
  return files;
}

bool smallEnoughToRun(const std::string& abstractPath) {
  std::vector<LinkLine> links;
  if (!readLinkFile(abstractPath, links, kMaxLinks).ok()) return true;
  if (links.size() > kTinyMaxLinks) return false;
  std::vector<NodeId> zones;
  return buildNodeList(abstractPath, links, zones, kMaxNodes).ok() && zones.size() <= kTinyMaxZones;
}

}  // namespace veldmark::fuzz
