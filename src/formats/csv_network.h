// A network from CSV exports: a link table with a header naming from_node_id
// and to_node_id (a GMNS link.csv as it is) and a counts table naming
// from_node_id, to_node_id and the count column.
#pragma once

#include <string>

#include "formats/foreign_network.h"
#include "veldmark/types.h"

namespace veldmark {

/// Reads the links of `linksPath` (columns from_node_id and to_node_id,
/// others ignored; the attributes are "0") and the counts of `countsPath`
/// (columns from_node_id, to_node_id and `countColumn`) into `network`; the
/// k-th count for a pair of nodes goes to the k-th link between them, and
/// links without a count stay unobserved. Fails with "file:line: ..." when a
/// column is missing from a header, a record lacks a value, a node is not a
/// whole number, a count is not a non-negative number, a count names no link
/// or one more than there are links, or either file has no record. Prints
/// nothing.
Status readCsvNetwork(const std::string& linksPath, const std::string& countsPath,
                      const std::string& countColumn, ForeignNetwork& network);

/// Gives the links of `network` (read already, and indexed by
/// indexForeignLinks) the counts of the CSV table `path` (columns
/// from_node_id, to_node_id and `countColumn`, matched without regard to
/// case), as readCsvNetwork does; sets network.flowSource. A count for a
/// pair that no link joins fails with "path:line: no link from A to B in
/// LINKS"; a missing count column's message lists the columns found and
/// names --count-column. Prints nothing.
Status readCsvCounts(const std::string& path, const std::string& countColumn,
                     ForeignNetwork& network);

}  // namespace veldmark
