// The order of the zones in every written form of the estimated table: the
// base nodes that are zones, in BaseNodeList order.
#pragma once

#include <cstdint>
#include <vector>

#include "veldmark/types.h"
#include "veldmark/zone_table.h"

namespace veldmark {

// One zone of the written table: its NodeId and its row in the TripTable.
struct TableNode {
  NodeId id = 0;
  ZoneIndex zone = 0;
};

/// Returns the flagged positions of `baseNodes`, in list order, each with the
/// position of its NodeId in `zoneList`. A flagged node whose NodeId is not in
/// the ZoneList (flags that do not match the lists) is left out, so no index
/// ever falls outside the TripTable. Reads only; prints nothing.
std::vector<TableNode> tableNodes(const std::vector<NodeId>& zoneList,
                                  const std::vector<NodeId>& baseNodes,
                                  const std::vector<std::uint8_t>& zoneFlags);

/// Returns the pairs the trip table file lists as a ZoneTable: the zones of
/// tableNodes() in that order and |TripTable| of each ordered pair of them
/// (the absolute value, as the trip table file prints it). Allocates the
/// N * N values; prints nothing.
ZoneTable buildZoneTable(const DenseMatrix& tripTable, const std::vector<NodeId>& zoneList,
                         const std::vector<NodeId>& baseNodes,
                         const std::vector<std::uint8_t>& zoneFlags);

}  // namespace veldmark
