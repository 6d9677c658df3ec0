#include "input/flow_line.h"

#include <cctype>
#include <cmath>
#include <string>

#include "input/number_parsing.h"

namespace veldmark {
namespace {

enum class Separator { kSkipped, kLineEnds, kTakesNumber };

bool isDigitOrPoint(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) || c == '.';
}

// True when the character at `c` belongs to a number that starts there: a
// digit, a decimal point, or a sign directly followed by either.
bool beginsNumber(const char* c) {
  return isDigitOrPoint(c[0]) || ((c[0] == '+' || c[0] == '-') && isDigitOrPoint(c[1]));
}

// Moves `position` past the kFlowValueOffset characters before a flow value,
// unless the line ends among them or they would take part of a number.
Separator skipSeparator(const char*& position) {
  for (int i = 0; i < kFlowValueOffset; ++i) {
    if (position[i] == '\0') return Separator::kLineEnds;
    if (beginsNumber(position + i)) return Separator::kTakesNumber;
  }
  position += kFlowValueOffset;
  return Separator::kSkipped;
}

// The abstract links a flow line names, and which of them is being read.
struct Match {
  NodeId from = 0;
  NodeId to = 0;
  int count = 0;  // abstract links with these endpoints
  int index = 0;  // 0-based among them
};

Status missingValue(const LineReader& reader, const Match& match) {
  if (match.index == 0) return lineError(reader, "flow value expected");
  return lineError(reader, "only " + std::to_string(match.index) + " of " +
                               std::to_string(match.count) +
                               " value pairs for the abstract links from " +
                               std::to_string(match.from) + " to " + std::to_string(match.to));
}

// Reads the value pair of the match.index-th matching link at `position`.
Status readValuePair(const LineReader& reader, const Match& match, const char*& position,
                     AbstractLinkRecord& record) {
  const Separator separator = skipSeparator(position);
  if (separator == Separator::kTakesNumber) {
    return lineError(reader, "fewer than " + std::to_string(kFlowValueOffset) +
                                 " separator characters before the flow value");
  }
  double flow = 0.0;
  if (separator == Separator::kLineEnds) return missingValue(reader, match);
  const char* start = position;
  if (readWholeReal(position, flow) != NumberRead::kRead) {
    // A number that runs on into other characters is a flow value misread.
    if (readReal(start, flow)) return lineError(reader, "flow value expected");
    return missingValue(reader, match);
  }
  if (flow < 0.0) return lineError(reader, "negative observed flow");
  if (!std::isfinite(flow)) return lineError(reader, "observed flow is not a finite number");
  record.observedFlow = flow;
  readReal(position, record.observedSecondValue);
  return Status{};
}

}  // namespace

EndpointIndex indexEndpoints(const AbstractNetwork& network) {
  EndpointIndex index;
  index.reserve(network.endpoints.size());
  for (int link = 0; link < network.linkCount(); ++link) {
    const LinkEndpoints& ends = network.endpoints[link];
    index[endpointKey(ends.from, ends.to)].push_back(link);
  }
  return index;
}

const std::vector<int>* linksBetween(const EndpointIndex& index, NodeId from, NodeId to) {
  const auto found = index.find(endpointKey(from, to));
  return found == index.end() ? nullptr : &found->second;
}

Status applyFlowLine(const LineReader& reader, const EndpointIndex& index,
                     AbstractNetwork& network) {
  const char* position = reader.text;
  Match match;
  if (Status status = readNodeField(reader, position, "from", match.from); !status.ok()) {
    return status;
  }
  // The to-node ends where its digits do: the 3 characters after it are the
  // separator, whatever they are ("8 2,  714 0").
  if (Status status = readNodeField(reader, position, "to", match.to, NodeEnd::kAnywhere);
      !status.ok()) {
    return status;
  }
  const std::vector<int>* links = linksBetween(index, match.from, match.to);
  if (links == nullptr) return Status{};
  match.count = static_cast<int>(links->size());
  for (const int link : *links) {
    Status status = readValuePair(reader, match, position, network.records[link]);
    if (!status.ok()) return status;
    ++match.index;
  }
  return Status{};
}

}  // namespace veldmark
