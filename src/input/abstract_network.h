// The abstract network as the estimation takes it: its links with their
// records, its zones (the ZoneList) and each link's zone ends.
#pragma once

#include <string>
#include <vector>

#include "veldmark/network.h"
#include "veldmark/types.h"

namespace veldmark {

/// Builds `network` from the link lines of the abstract network file at
/// `path` (already read): endpoints, records with flows 0, line numbers, the
/// ZoneList (from-nodes first, then to-only nodes) and the LinkZones. Fails
/// with "path:line: more than 1000 distinct nodes". Prints nothing.
Status buildAbstractNetwork(const std::string& path, const std::vector<LinkLine>& lines,
                            AbstractNetwork& network);

/// Reads the link file at `path` (readLinkFile) and builds the abstract
/// network from it (buildAbstractNetwork). Fails with the reader's message.
Status readAbstractNetwork(const std::string& path, AbstractNetwork& network);

}  // namespace veldmark
