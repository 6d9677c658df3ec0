#include "input/link_flow_file.h"

#include <utility>

#include "input/flow_line.h"
#include "input/line_reader.h"
#include "input/number_parsing.h"

namespace veldmark {
namespace {

// Counts the line just applied as matched (marking the links it names) or
// keeps it as unmatched. REQUIRES: applyFlowLine accepted the line, so both
// nodes read.
void countFlowLine(const LineReader& reader, const EndpointIndex& index,
                   FlowFileStatistics& statistics) {
  const char* position = reader.text;
  UnmatchedFlowLine line{reader.lineNumber, 0, 0};
  readNode(position, line.from);
  readNode(position, line.to, NodeEnd::kAnywhere);
  const std::vector<int>* links = linksBetween(index, line.from, line.to);
  if (links != nullptr) {
    for (const int link : *links) statistics.linkNamed[link] = 1;
    ++statistics.matchedLines;
  } else {
    statistics.unmatched.push_back(line);
  }
}

void countZeroFlows(const AbstractNetwork& network, FlowFileStatistics& statistics) {
  for (int link = 0; link < network.linkCount(); ++link) {
    if (statistics.linkNamed[link] && network.records[link].observedFlow == 0.0) {
      ++statistics.zeroFlows;
    }
  }
}

}  // namespace

Status readLinkFlowFile(const std::string& path, AbstractNetwork& network,
                        FlowFileStatistics* statistics) {
  FlowFileStatistics counted;
  counted.linkNamed.assign(network.linkCount(), 0);
  const EndpointIndex index = indexEndpoints(network);
  LineReader reader;
  Status status = openLineReader(path, reader);
  if (status.ok()) status = skipLeadingLines(reader, kFlowMetadataLines);
  bool gotLine = false;
  while (status.ok()) {
    status = readLine(reader, kFlowLine, gotLine);
    if (!status.ok() || !gotLine) break;
    if (isBlank(reader.text)) continue;
    status = applyFlowLine(reader, index, network);
    if (status.ok()) countFlowLine(reader, index, counted);
  }
  countZeroFlows(network, counted);
  if (statistics != nullptr) *statistics = std::move(counted);
  return status;
}

}  // namespace veldmark
