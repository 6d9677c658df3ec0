// OpenMatrix (OMX) files, layout 0.2, through HDF5's C API: on the root the
// attributes OMX_VERSION (the string "0.2") and SHAPE (two 32-bit integers
// N, N); the groups /data and /lookup; the matrix /data/trips, N x N 64-bit
// reals, chunked, shuffled and deflate-compressed; the zone numbers
// /lookup/zone_number, N 32-bit integers.
#pragma once

#include <string>
#include <string_view>

#include "veldmark/types.h"
#include "veldmark/zone_table.h"

namespace veldmark {

/// Writes `table` as an OpenMatrix file at `path`: the HDF5 file is built
/// whole in memory, then written by replaceFileContents (output/
/// file_replace.h), so it follows the trip table's rules: a temporary file
/// beside it renamed into place, symbolic links resolved, hard links kept,
/// devices and other non-regular files written through, nothing left behind
/// by a failure or a termination signal. Fails with one line "path: cannot
/// write: reason"; an existing file then keeps its content. Silences HDF5's
/// own error printing (silenceHdf5Errors) and releases every HDF5 identifier
/// it made on every path; prints nothing. Holds the file's bytes in memory
/// (compressed: far less than the N * N doubles for most tables).
Status writeOmxTable(const std::string& path, const ZoneTable& table);

/// Reads the OpenMatrix file whose whole content is `image` (the bytes of
/// `path`, read once, so a pipe works) into `table`: the matrix /data/trips,
/// or else the first dataset under /data in name order, which must be a
/// square 2-D array of numbers (converted to doubles); the zones from
/// /lookup/zone_number when present (1-D, N integers), else 1..N. Fails with
/// one line "path: ..." when the image is not HDF5, has no such matrix, a
/// lookup of the wrong size or not of integers, a zone number outside the
/// 32-bit signed range or given twice, or a cell that is not a finite
/// non-negative number (naming its zones). Silences HDF5's own error
/// printing and releases every identifier it made. Lets std::bad_alloc
/// through. Prints nothing.
Status readOmxImage(const std::string& path, const std::string& image, ZoneTable& table);

/// Reads the whole file at `path` (readWholeFile), then as readOmxImage.
Status readOmxTable(const std::string& path, ZoneTable& table);

/// True when `content` starts with the HDF5 signature.
bool hasHdf5Signature(std::string_view content);

}  // namespace veldmark
