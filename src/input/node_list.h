// Node lists, zone endpoints of the abstract links and the zone flags.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "veldmark/network.h"
#include "veldmark/types.h"

namespace veldmark {

/// Builds the distinct nodes of `links`: every from-node in order of first
/// appearance, then the nodes that are only to-nodes, in order of first
/// appearance. Fails with "path:line: ..." naming the line of the link that
/// brings the (maxNodes+1)-th distinct node; never stores more than `maxNodes`.
/// Takes time proportional to the links (a hash of the nodes seen).
Status buildNodeList(const std::string& path, const std::vector<LinkLine>& links,
                     std::vector<NodeId>& nodes, int maxNodes);

/// Fills `network.linkZones`: per abstract link, the ZoneList positions of
/// its from- and to-node. REQUIRES: zoneList was built from these links.
void mapLinksToZones(AbstractNetwork& network);

/// Returns one flag per BaseNodeList position: 1 when that node is a zone.
std::vector<std::uint8_t> buildZoneFlags(const std::vector<NodeId>& baseNodes,
                                         const std::vector<NodeId>& zoneList);

}  // namespace veldmark
