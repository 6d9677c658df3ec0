// TNTP network and flow files (the research networks' text layout) read as a
// ForeignNetwork whose every link is observed.
#pragma once

#include <string>

#include "formats/foreign_network.h"
#include "veldmark/types.h"

namespace veldmark {

/// Reads the TNTP network file `netPath` (metadata block, then one link per
/// record: from node, to node, then up to 8 attribute columns, "0" where
/// fewer) and the TNTP flow file `flowPath` (an optional header naming the
/// columns; records from node, to node, volume, cost; the volume column is
/// the one headed "Volume", else the third, the cost column "Cost", else the
/// fourth) into `network`, links in file order with their texts unchanged.
/// The k-th flow record for a pair of nodes goes to the k-th link between
/// them. Fails with "file:line: ..." when a node is not a whole number, an
/// attribute, volume or cost is not a number, a volume is negative, a flow
/// names no link or one more than there are links, a link gets no flow, the
/// file holds no link, or <NUMBER OF LINKS> differs from the links read.
/// Prints nothing.
Status readTntpNetwork(const std::string& netPath, const std::string& flowPath,
                       ForeignNetwork& network);

}  // namespace veldmark
