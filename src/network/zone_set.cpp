#include "network/zone_set.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "veldmark/file_name.h"

namespace veldmark {
namespace {

// Reads a whole node number from the start of `text` up to `end`.
bool readWholeNode(const std::string& text, std::size_t begin, std::size_t end, NodeId& number) {
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r')) {
    --end;
  }
  if (begin == end) return false;
  const std::string field = text.substr(begin, end - begin);
  char* stop = nullptr;
  errno = 0;
  const long value = std::strtol(field.c_str(), &stop, 10);
  if (*stop != '\0' || errno != 0 || value < INT32_MIN || value > INT32_MAX) return false;
  number = static_cast<NodeId>(value);
  return true;
}

}  // namespace

Status parseZoneRange(const std::string& text, std::vector<NodeId>& numbers) {
  const std::size_t dash = text.find('-', 1);
  NodeId first = 0;
  NodeId last = 0;
  if (dash == std::string::npos || !readWholeNode(text, 0, dash, first) ||
      !readWholeNode(text, dash + 1, text.size(), last) || first > last) {
    return Status{"--zones: '" + text + "' is neither A-B (node numbers, A <= B) nor a file"};
  }
  numbers.clear();
  for (long long node = first; node <= last; ++node) numbers.push_back(static_cast<NodeId>(node));
  return Status{};
}

Status readZoneFile(const std::string& path, std::vector<NodeId>& numbers) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return Status{displayName(path) + ": cannot open"};
  numbers.clear();
  std::string line;
  for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
    const std::size_t end = std::min(line.find('#'), line.size());
    std::size_t first = 0;
    while (first < end && (line[first] == ' ' || line[first] == '\t' || line[first] == '\r')) {
      ++first;
    }
    if (first == end) continue;
    NodeId number = 0;
    if (!readWholeNode(line, first, end, number)) {
      return Status{displayName(path) + ":" + std::to_string(lineNumber) +
                    ": a node number expected (one zone a line)"};
    }
    numbers.push_back(number);
  }
  if (numbers.empty()) return Status{displayName(path) + ": no zones"};
  return Status{};
}

Status makeZoneSet(const RoadNetwork& network, const std::vector<NodeId>& numbers,
                   bool throughZones, const std::string& source, ZoneSet& zones) {
  zones = ZoneSet{};
  zones.throughZones = throughZones;
  zones.nodeZone.assign(static_cast<std::size_t>(network.nodeCount()), -1);
  for (const NodeId number : numbers) {
    const int node = findNode(network, number);
    if (node < 0) {
      return Status{source + ": zone " + std::to_string(number) +
                    " is not a node of the road network"};
    }
    if (zones.nodeZone[node] >= 0) {
      return Status{source + ": zone " + std::to_string(number) + " is given twice"};
    }
    zones.nodeZone[node] = zones.zoneCount();
    zones.zoneNumbers.push_back(number);
    zones.zoneNode.push_back(node);
  }
  return Status{};
}

}  // namespace veldmark
