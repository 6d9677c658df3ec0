// The zones of an assignment: the nodes where trips start and end, and
// whether a route may pass through them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "network/road_network.h"
#include "veldmark/types.h"

namespace veldmark {

struct ZoneSet {
  std::vector<NodeId> zoneNumbers;     // per zone index, its node number (in the order given)
  std::vector<std::int32_t> zoneNode;  // per zone index, its node index in the road network
  std::vector<std::int32_t> nodeZone;  // per node index, its zone index or -1
  bool throughZones = false;           // true: a route may pass through any zone node

  int zoneCount() const { return static_cast<int>(zoneNode.size()); }
};

/// Reads "A-B" (whole numbers, A <= B) as the node numbers A to B. Fails with
/// "--zones: ..." when the text is not of that form. Prints nothing.
Status parseZoneRange(const std::string& text, std::vector<NodeId>& numbers);

/// Reads the zone file at `path`: one node number a line; blank lines and
/// text from a '#' to the line's end are ignored. Fails with "path:line: ..."
/// for a line holding anything else, or "path: no zones". Prints nothing.
Status readZoneFile(const std::string& path, std::vector<NodeId>& numbers);

/// Makes the zones `numbers` (in that order) of `network`. Fails with
/// "`source`: zone N is not a node of the road network" or "...: zone N is
/// given twice" (source names where the zones came from). Prints nothing.
Status makeZoneSet(const RoadNetwork& network, const std::vector<NodeId>& numbers,
                   bool throughZones, const std::string& source, ZoneSet& zones);

}  // namespace veldmark
