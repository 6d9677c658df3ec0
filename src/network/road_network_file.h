// Reading BASE, Veldmark's link file, as a road network. Of the eight
// attributes after the two nodes, the assignment reads 1 capacity, 2 length,
// 3 free-flow time, 4 b and 5 power (the cost curve) and 7 toll, the order in
// which `veldmark-convert tntp` writes TNTP's columns.
#pragma once

#include <string>

#include "network/road_network.h"
#include "veldmark/types.h"

namespace veldmark {

/// The road network's own limits: far above the estimator's 1,000 nodes and
/// 5,000 links (a regional model has some 13,000 nodes and 40,000 links).
inline constexpr int kMaxRoadLinks = 4000000;

/// Reads the link file at `path` (7 metadata lines, a header line, then
/// `from to a1 .. a8` per line; blank lines skipped) into `network`, links
/// in file order, and builds its forward star. Attributes 1 to 5 are
/// required; 6 to 8 may be missing (then 0). Fails with "path:line: ..."
/// when a line cannot be read (see line_reader.h), a node is unreadable, an
/// attribute 1 to 5 is missing, any attribute present is not a finite
/// number or is negative, a link's capacity is 0 while its b is above 0, a
/// link joins a node to itself, there are more than kMaxRoadLinks links, or
/// none at all. Prints nothing.
Status readRoadNetwork(const std::string& path, RoadNetwork& network);

}  // namespace veldmark
