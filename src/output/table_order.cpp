// The zones of the written table and the table in their order.
#include "output/table_order.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace veldmark {

// One scan of the ZoneList per flagged node.
std::vector<TableNode> tableNodes(const std::vector<NodeId>& zoneList,
                                  const std::vector<NodeId>& baseNodes,
                                  const std::vector<std::uint8_t>& zoneFlags) {
  std::vector<TableNode> nodes;
  const std::size_t count = std::min(baseNodes.size(), zoneFlags.size());
  for (std::size_t p = 0; p < count; ++p) {
    if (zoneFlags[p] == 0) continue;
    for (std::size_t z = 0; z < zoneList.size(); ++z) {
      if (zoneList[z] == baseNodes[p]) {
        nodes.push_back(TableNode{baseNodes[p], static_cast<ZoneIndex>(z)});
        break;
      }
    }
  }
  return nodes;
}

ZoneTable buildZoneTable(const DenseMatrix& tripTable, const std::vector<NodeId>& zoneList,
                         const std::vector<NodeId>& baseNodes,
                         const std::vector<std::uint8_t>& zoneFlags) {
  const std::vector<TableNode> nodes = tableNodes(zoneList, baseNodes, zoneFlags);
  ZoneTable table;
  table.zones.reserve(nodes.size());
  for (const TableNode& node : nodes) table.zones.push_back(node.id);
  table.values.reserve(nodes.size() * nodes.size());
  for (const TableNode& origin : nodes) {
    const double* row = tripTable[origin.zone];
    for (const TableNode& destination : nodes) {
      table.values.push_back(std::fabs(row[destination.zone]));
    }
  }
  return table;
}

}  // namespace veldmark
