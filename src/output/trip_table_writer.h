// The trip table file: three header lines, then one block per base node that
// is a zone, five entries to a line.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
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

/// Writes the trip table file at `path` through replaceFileContents
/// (file_replace.h), so that nothing complete is ever lost. Fails with
/// "path: cannot write: reason" (the system's error text) as it does, or
/// when the text cannot be formatted. Prints nothing.
Status writeTripTable(const std::string& path, const DenseMatrix& tripTable,
                      const std::vector<NodeId>& zoneList, const std::vector<NodeId>& baseNodes,
                      const std::vector<std::uint8_t>& zoneFlags);

/// Writes the trip table file's text at the current offset of the open
/// descriptor `fd` (standard output's own file, when the table is to go
/// there), with SIGINT, SIGTERM and SIGHUP held back so that no signal cuts
/// it. Fails with "path: cannot write: reason"; never closes `fd`. Prints
/// nothing else.
Status appendTripTable(int fd, const std::string& path, const DenseMatrix& tripTable,
                       const std::vector<NodeId>& zoneList, const std::vector<NodeId>& baseNodes,
                       const std::vector<std::uint8_t>& zoneFlags);

}  // namespace veldmark
