// Fuzzes the link flow file reader. The input is the whole file; the abstract
// network is fixed and holds what makes the matching awkward: two links with
// the same endpoints, a link from a node to itself, node 0, negative nodes,
// the 32-bit extremes and both directions of one pair. Properties: the reader
// fails only with a one-line "path:line: ..." message, never stores a
// negative flow, changes only links whose endpoints some line names, and
// leaves the endpoints alone.
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "input/link_flow_file.h"

namespace veldmark::fuzz {
namespace {

const std::vector<LinkEndpoints> kLinks = {
    {1, 2}, {2, 1}, {1, 2}, {2, 3}, {3, 3}, {0, 0}, {-5, 7}, {7, -5}, {INT_MAX, INT_MIN}, {1, 2},
};

AbstractNetwork fixedNetwork() {
  AbstractNetwork network;
  network.endpoints = kLinks;
  network.records.resize(kLinks.size());
  return network;
}

bool readNodeAt(const char*& position, NodeId& node) {
  char* end = nullptr;
  const long value = std::strtol(position, &end, 10);
  if (end == position) return false;
  node = static_cast<NodeId>(value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : value);
  position = end;
  return true;
}

// The (from, to) pairs that the flow lines (from line 7 on) name.
std::set<std::pair<NodeId, NodeId>> namedPairs(std::string_view bytes) {
  std::set<std::pair<NodeId, NodeId>> pairs;
  const std::vector<std::string> lines = fileLines(bytes);
  for (std::size_t i = 6; i < lines.size(); ++i) {
    const char* text = lines[i].c_str();
    NodeId from = 0;
    NodeId to = 0;
    if (readNodeAt(text, from) && readNodeAt(text, to)) pairs.insert({from, to});
  }
  return pairs;
}

}  // namespace
}  // namespace veldmark::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace veldmark;
  using namespace veldmark::fuzz;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string path = writeScratchFile("flows.txt", bytes);
  AbstractNetwork network = fixedNetwork();
  const Status status = readLinkFlowFile(path, network);
  if (!status.ok()) {
    FUZZ_CHECK(status.message.compare(0, path.size() + 1, path + ":") == 0);
    FUZZ_CHECK(status.message.find('\n') == std::string::npos);
  }
  FUZZ_CHECK(network.endpoints.size() == kLinks.size());
  FUZZ_CHECK(network.records.size() == kLinks.size());
  const auto named = namedPairs(bytes);
  for (std::size_t v = 0; v < kLinks.size(); ++v) {
    const LinkEndpoints ends = network.endpoints[v];
    FUZZ_CHECK(ends.from == kLinks[v].from && ends.to == kLinks[v].to);
    const AbstractLinkRecord& record = network.records[v];
    FUZZ_CHECK(std::isfinite(record.observedFlow) && record.observedFlow >= 0.0);
    if (named.count({ends.from, ends.to}) == 0) {
      FUZZ_CHECK(record.observedFlow == 0.0 && record.observedSecondValue == 0.0);
    }
  }
  return 0;
}
