// Fuzzes the link file reader and the lists built from it. The input is the
// whole file. An independent model of the format (lines cut at the newline, a
// CR before it dropped, the 49/199/499 limits, a NUL byte refused, blank link
// lines skipped, nodes read as by strtol but whole and within 32 bits,
// attributes as by strtod)
// predicts the outcome, and the reader must agree with it: the same links
// bit for bit, or a failure naming the same line. The node list, the zone
// ends and the zone flags are then checked against their definitions.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "estimation/linearised/limits.h"
#include "fuzz_support.h"
#include "input/abstract_network.h"
#include "input/link_file.h"
#include "input/node_list.h"

namespace veldmark::fuzz {
namespace {

struct Expected {
  bool ok = true;
  int errorLine = 0;  // 1-based line the failure names; 0 when it names none
  std::vector<LinkLine> links;
};

bool parseNode(const char*& position, NodeId& node) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(position, &end, 10);
  if (end == position || std::strchr(" \t\r", *end) == nullptr) return false;
  if (errno == ERANGE || value < INT_MIN || value > INT_MAX) return false;
  node = static_cast<NodeId>(value);
  position = end;
  return true;
}

Expected expectedLinks(std::string_view bytes) {
  Expected expected;
  const std::vector<std::string> lines = fileLines(bytes);
  const auto fail = [&expected](int line) {
    expected.ok = false;
    expected.errorLine = line;
    return expected;
  };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    const std::size_t limit = i < 7 ? 49 : i == 7 ? 199 : 499;
    if (lines[i].size() > limit || lines[i].find('\0') != std::string::npos) return fail(number);
    if (i < 8) continue;
    const char* text = lines[i].c_str();
    if (std::all_of(text, text + std::strlen(text),
                    [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; })) {
      continue;
    }
    if (expected.links.size() == kMaxLinks) return fail(number);
    LinkLine link;
    link.lineNumber = number;
    if (!parseNode(text, link.from) || !parseNode(text, link.to)) return fail(number);
    for (double& attribute : link.attributes) {
      char* end = nullptr;
      const double value = std::strtod(text, &end);
      attribute = end == text ? 0.0 : value;
      text = end;
    }
    expected.links.push_back(link);
  }
  if (expected.links.empty()) return fail(0);
  return expected;
}

bool sameLink(const LinkLine& a, const LinkLine& b) {
  return a.from == b.from && a.to == b.to && a.lineNumber == b.lineNumber &&
         std::memcmp(a.attributes, b.attributes, sizeof a.attributes) == 0;
}

// From-nodes in order of first appearance, then the nodes only met as to-nodes.
std::vector<NodeId> expectedNodes(const std::vector<LinkLine>& links) {
  std::vector<NodeId> nodes;
  for (int pass = 0; pass < 2; ++pass) {
    for (const LinkLine& link : links) {
      const NodeId node = pass == 0 ? link.from : link.to;
      if (std::find(nodes.begin(), nodes.end(), node) == nodes.end()) nodes.push_back(node);
    }
  }
  return nodes;
}

void checkLists(const std::string& path, const std::vector<LinkLine>& links) {
  std::vector<NodeId> nodes;
  const Status status = buildNodeList(path, links, nodes, kMaxNodes);
  const std::vector<NodeId> expected = expectedNodes(links);
  FUZZ_CHECK(nodes.size() <= kMaxNodes);
  if (expected.size() > kMaxNodes) {
    FUZZ_CHECK(!status.ok());
    return;
  }
  FUZZ_CHECK(status.ok() && nodes == expected);

  AbstractNetwork network;
  FUZZ_CHECK(buildAbstractNetwork(path, links, network, kMaxNodes).ok() &&
             network.zoneList == nodes);
  FUZZ_CHECK(network.linkZones.size() == links.size() && network.records.size() == links.size());
  for (std::size_t v = 0; v < links.size(); ++v) {
    const LinkZoneEnds ends = network.linkZones[v];
    FUZZ_CHECK(ends.from >= 0 && ends.from < network.zoneCount());
    FUZZ_CHECK(ends.to >= 0 && ends.to < network.zoneCount());
    FUZZ_CHECK(nodes[ends.from] == links[v].from && nodes[ends.to] == links[v].to);
    FUZZ_CHECK(network.records[v].observedFlow == 0.0);
  }

  // Flags of the whole list against every other node of it.
  std::vector<NodeId> zones;
  for (std::size_t i = 0; i < nodes.size(); i += 2) zones.push_back(nodes[i]);
  const std::vector<std::uint8_t> flags = buildZoneFlags(nodes, zones);
  FUZZ_CHECK(flags.size() == nodes.size());
  for (std::size_t i = 0; i < nodes.size(); ++i) FUZZ_CHECK(flags[i] == (i % 2 == 0 ? 1 : 0));
}

}  // namespace
}  // namespace veldmark::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace veldmark;
  using namespace veldmark::fuzz;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string path = writeScratchFile("links.txt", bytes);
  std::vector<LinkLine> links;
  const Status status = readLinkFile(path, links, kMaxLinks);
  const Expected expected = expectedLinks(bytes);

  FUZZ_CHECK(links.size() <= kMaxLinks);
  FUZZ_CHECK(status.ok() == expected.ok);
  if (!status.ok()) {
    const std::string where = expected.errorLine == 0
                                  ? path + ": "
                                  : path + ":" + std::to_string(expected.errorLine) + ": ";
    FUZZ_CHECK(status.message.compare(0, where.size(), where) == 0);
    FUZZ_CHECK(status.message.find('\n') == std::string::npos);
    return 0;
  }
  FUZZ_CHECK(links.size() == expected.links.size());
  for (std::size_t i = 0; i < links.size(); ++i) FUZZ_CHECK(sameLink(links[i], expected.links[i]));
  checkLists(path, links);
  return 0;
}
