// The link flow file: 5 metadata lines, 1 header line, then one line per
// observed link: from node, to node, 3 skipped characters, flow, second value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "veldmark/network.h"
#include "veldmark/types.h"

namespace veldmark {

// A flow line whose endpoints are those of no abstract link.
struct UnmatchedFlowLine {
  int line = 0;  // 1-based line in the flow file
  NodeId from = 0;
  NodeId to = 0;
};

// What the flow file said about the abstract network, for the warnings and
// the run summary.
struct FlowFileStatistics {
  int matchedLines = 0;                      // flow lines naming at least one abstract link
  std::vector<UnmatchedFlowLine> unmatched;  // every other flow line, in file order
  std::vector<std::uint8_t> linkNamed;       // per abstract link: 1 when a flow line names it
  int zeroFlows = 0;  // named links whose flow is exactly 0 (the default method floors them)
};

/// Reads the flow file at `path` and sets observedFlow and
/// observedSecondValue of every abstract link whose endpoints match a line;
/// several matching links take successive value pairs of that line. A line
/// matching no link is skipped. Fails with "path:line: ..." when the file
/// cannot be opened, a line is too long or holds a NUL byte, a node cannot
/// be read whole or is out of range, the three skipped characters would take
/// part of a number, a matching link finds no flow value read whole, or a
/// flow is negative or not finite. Reads only endpoints and
/// writes only the two observed values; never reads past a line's end.
/// When `statistics` is given it is overwritten with what the lines named
/// (complete only when the read succeeds).
Status readLinkFlowFile(const std::string& path, AbstractNetwork& network,
                        FlowFileStatistics* statistics = nullptr);

}  // namespace veldmark
