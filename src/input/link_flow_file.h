// The link flow file: 5 metadata lines, 1 header line, then one line per
// observed link: from node, to node, 3 skipped characters, flow, second value.
#pragma once

#include <string>

#include "veldmark/network.h"
#include "veldmark/types.h"

namespace veldmark {

/// Reads the flow file at `path` and sets observedFlow and
/// observedSecondValue of every abstract link whose endpoints match a line;
/// several matching links take successive value pairs of that line. A line
/// matching no link is skipped. Fails with "path:line: ..." when the file
/// cannot be opened, a line is too long or holds a NUL byte, a node cannot
/// be read whole or is out of range, the three skipped characters would take
/// part of a number, a matching link finds no flow value read whole, or a
/// flow is negative or not finite. Reads only endpoints and
/// writes only the two observed values; never reads past a line's end.
Status readLinkFlowFile(const std::string& path, AbstractNetwork& network);

}  // namespace veldmark
