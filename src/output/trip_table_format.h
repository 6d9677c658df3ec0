// The text of the trip table file: three header lines, then one block per
// base node that is a zone, five entries to a line.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "veldmark/types.h"

namespace veldmark {

/// Writes the trip table file's text to `out`: "<NUMBER OF ZONES> " and the
/// NodeId of the last zone (0 when there is no zone), "<TOTAL OD FLOW> " and
/// the sum of |TripTable| in the stream's default format, "<END OF METADATA>"
/// and two empty lines; then per flagged base node an "Origin" block with
/// entries "%5d :%9.1f;" of absolute values over the flagged base nodes.
/// Leaves `out`'s error state for the caller to check; changes no data.
void formatTripTable(std::ostream& out, const DenseMatrix& tripTable,
                     const std::vector<NodeId>& zoneList, const std::vector<NodeId>& baseNodes,
                     const std::vector<std::uint8_t>& zoneFlags);

}  // namespace veldmark
