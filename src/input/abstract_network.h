// The abstract network as the estimation takes it: its links with their
// records, its zones (the ZoneList) and each link's zone ends.
#pragma once

#include <string>
#include <vector>

#include "input/network_limits.h"
#include "veldmark/network.h"
#include "veldmark/types.h"

namespace veldmark {

/// Builds `network` from the link lines of the abstract network file at
/// `path` (already read): endpoints, records with flows 0, line numbers, the
/// ZoneList (from-nodes first, then to-only nodes) and the LinkZones. Fails
/// with "path:line: more than N distinct nodes" (N = maxNodes). Prints
/// nothing.
Status buildAbstractNetwork(const std::string& path, const std::vector<LinkLine>& lines,
                            AbstractNetwork& network, int maxNodes);

/// Reads the link file at `path` (readLinkFile, at most limits.links lines)
/// and builds the abstract network from it (buildAbstractNetwork, at most
/// limits.nodes zones). Fails with the reader's message.
Status readAbstractNetwork(const std::string& path, AbstractNetwork& network,
                           const NetworkLimits& limits);

}  // namespace veldmark
