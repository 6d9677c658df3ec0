// OpenMatrix (OMX) files, layout 0.2, through HDF5's C API: on the root the
// attributes OMX_VERSION (the string "0.2") and SHAPE (two 32-bit integers
// N, N); the groups /data and /lookup; the matrix /data/trips, N x N 64-bit
// reals, chunked, shuffled and deflate-compressed; the zone numbers
// /lookup/zone_number, N 32-bit integers.
#pragma once

#include <string>

#include "veldmark/types.h"
#include "veldmark/zone_table.h"

namespace veldmark {

/// Writes `table` as an OpenMatrix file at `path`: the HDF5 file is built
/// under a temporary name ".<name>.XXXXXX" beside `path` and renamed over it
/// once complete and closed; it gets an existing file's permission bits, or
/// 0666 less the umask. Fails with "path: cannot write: reason"; the
/// temporary file is then removed and an existing file keeps its content.
/// Silences HDF5's own error printing (silenceHdf5Errors); prints nothing.
Status writeOmxTable(const std::string& path, const ZoneTable& table);

/// Reads the OpenMatrix file at `path` into `table`: the matrix /data/trips,
/// or else the first dataset under /data in name order, which must be a
/// square 2-D array of numbers (converted to doubles); the zones from
/// /lookup/zone_number when present (1-D, N integers), else 1..N. Fails with
/// "path: ..." when the file cannot be opened, is not HDF5, has no such
/// matrix or a lookup of the wrong size. Prints nothing.
Status readOmxTable(const std::string& path, ZoneTable& table);

/// True when the file at `path` starts with the HDF5 signature. Reads at
/// most its first 8 bytes; false when it cannot be read.
bool hasHdf5Signature(const std::string& path);

}  // namespace veldmark
