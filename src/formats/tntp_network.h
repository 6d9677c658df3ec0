// TNTP network and flow files (the research networks' text layout) read as a
// ForeignNetwork whose every link is observed.
#pragma once

#include <string>

#include "formats/foreign_network.h"
#include "veldmark/types.h"

namespace veldmark {

/// Reads the links of the TNTP network file `netPath` into `network` (a new
/// one, unobserved links, flowSource ""): metadata block, then one link per
/// record (from node, to node, up to 8 attribute columns, "0" where fewer);
/// <NUMBER OF ZONES> and <FIRST THRU NODE> where given. Fails with
/// "netPath:line: ..." or "netPath: ..." for a node that is not a whole
/// number, an attribute that is not a number, a file without links, a
/// <NUMBER OF LINKS> (or zones, or first thru node) that is not a whole
/// number, or one of 0 or more that differs from the links read (a negative
/// one means unknown). Prints nothing.
Status readTntpLinks(const std::string& netPath, ForeignNetwork& network);

/// Gives the links of `network` (readTntpLinks) the flows of the TNTP flow
/// file `flowPath` as readTntpNetwork describes; sets network.flowSource.
/// Links it names no flow for stay unobserved. Prints nothing.
Status readTntpFlows(const std::string& flowPath, ForeignNetwork& network);

/// Reads the TNTP network file `netPath` (metadata block, then one link per
/// record: from node, to node, then up to 8 attribute columns, "0" where
/// fewer) and the TNTP flow file `flowPath` (an optional header naming the
/// columns; records from node, to node, volume, cost; the volume column is
/// the one headed "Volume" (a header line without one is refused, naming
/// it), the third when there is no header; the cost column "Cost", else the
/// fourth) into `network`, links in file order with their texts unchanged.
/// The k-th flow record for a pair of nodes goes to the k-th link between
/// them. Fails with "file:line: ..." when a node is not a whole number, an
/// attribute, volume or cost is not a number, a volume is negative, a flow
/// names no link or one more than there are links, a link gets no flow, the
/// file holds no link, or <NUMBER OF LINKS> of either file (when 0 or more)
/// differs from the records read; as readTntpText for damaged text (a NUL
/// byte, lines that end with a CR alone).
/// Prints nothing.
Status readTntpNetwork(const std::string& netPath, const std::string& flowPath,
                       ForeignNetwork& network);

}  // namespace veldmark
