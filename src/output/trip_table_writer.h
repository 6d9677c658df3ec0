// Writing the trip table file (its text: trip_table_format.h) without ever
// leaving it half written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "veldmark/types.h"

namespace veldmark {

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
