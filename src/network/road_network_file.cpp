#include "network/road_network_file.h"

#include <cmath>
#include <string>

#include "input/line_reader.h"
#include "input/number_parsing.h"
#include "veldmark/file_name.h"

namespace veldmark {
namespace {

constexpr int kRequiredAttributes = 5;  // capacity, length, free-flow time, b, power
constexpr const char* kAttributeNames[kAttributeCount] = {
    "capacity", "length", "free-flow time", "b", "power", "speed", "toll", "link type"};

// Reads the eight attributes of the current line from `position`: the first
// five required, every one present finite and not negative.
Status readAttributes(const LineReader& reader, const char* position, double* attributes) {
  for (int k = 0; k < kAttributeCount; ++k) {
    const std::string name =
        std::string("attribute ") + std::to_string(k + 1) + " (" + kAttributeNames[k] + ")";
    attributes[k] = 0.0;
    if (!readReal(position, attributes[k])) {
      if (!isBlank(position)) return lineError(reader, name + " is not a number");
      if (k < kRequiredAttributes) return lineError(reader, name + " missing");
      continue;
    }
    if (!std::isfinite(attributes[k])) return lineError(reader, name + " is not finite");
    if (attributes[k] < 0.0) return lineError(reader, name + " is negative");
  }
  return Status{};
}

// Parses the current line as a road link and adds it to `network`.
Status addLinkLine(const LineReader& reader, RoadNetwork& network) {
  const char* position = reader.text;
  NodeId fromNode = 0;
  NodeId toNode = 0;
  double attributes[kAttributeCount];
  Status status = readNodeField(reader, position, "from", fromNode);
  if (status.ok()) status = readNodeField(reader, position, "to", toNode);
  if (status.ok()) status = readAttributes(reader, position, attributes);
  if (!status.ok()) return status;
  if (fromNode == toNode)
    return lineError(reader, "the link joins node " + std::to_string(fromNode) + " to itself");
  if (attributes[0] == 0.0 && attributes[3] > 0.0) {
    return lineError(reader, "capacity 0 with b above 0 (the cost would be infinite)");
  }
  addRoadLink(network, fromNode, toNode, attributes, reader.lineNumber);
  return Status{};
}

Status readRoadLinks(LineReader& reader, RoadNetwork& network) {
  bool gotLine = false;
  for (;;) {
    if (Status status = readLine(reader, kLinkLine, gotLine); !status.ok()) return status;
    if (!gotLine) return Status{};
    if (isBlank(reader.text)) continue;
    if (network.linkCount() == kMaxRoadLinks) {
      return lineError(reader, "more than " + std::to_string(kMaxRoadLinks) + " link lines");
    }
    if (Status status = addLinkLine(reader, network); !status.ok()) return status;
  }
}

}  // namespace

Status readRoadNetwork(const std::string& path, RoadNetwork& network) {
  network = RoadNetwork{};
  network.path = path;
  LineReader reader;
  Status status = openLineReader(path, reader);
  if (status.ok()) status = skipLeadingLines(reader, kMetadataLines);
  if (status.ok()) status = readRoadLinks(reader, network);
  if (status.ok() && network.linkCount() == 0) {
    status.message = displayName(path) + ": no link lines (they start at line " +
                     std::to_string(kMetadataLines + 2) + ")";
  }
  if (status.ok()) buildForwardStar(network);
  return status;
}

}  // namespace veldmark
