// A trip table read from any of the forms Veldmark writes or a planner
// brings: Veldmark's trip table file, a TNTP trip table, a long CSV table or
// an OpenMatrix file, straight into a dense ZoneTable.
//
// The one entry point for every table a program reads (--reference, the
// converter's tables, a prior table, the trips to assign):
// readReferenceTable(path, table). It reads the file once, whole (so a pipe
// such as `<(...)` works), tells the layout from the content and checks
// every value: the result is finite and non-negative everywhere, each pair
// was given at most once, pairs not given are 0. Memory: the file's bytes,
// then 24 bytes per pair given (text layouts), then the N * N doubles of
// the table (5,000 zones: 200 MB); std::bad_alloc is let through for the
// program to report as "out of memory".
#pragma once

#include <string>

#include "veldmark/types.h"
#include "veldmark/zone_table.h"

namespace veldmark {

// The layouts of trip table files.
enum class TableLayout {
  kVeldmark,  // "Origin" blocks of "d : v;" entries; zones in order of first appearance
  kTntp,      // the same blocks; zones 1 .. <NUMBER OF ZONES>
  kLongCsv,   // header naming o_zone_id, d_zone_id, volume; one record per pair
  kOmx,       // an OpenMatrix file (see omx_file.h)
};

/// Reads the trip table at `path` in `layout` into `table`. Origin blocks:
/// see origin_blocks.h. Long CSV: columns o_zone_id, d_zone_id and volume
/// (names matched without regard to case; extra columns ignored); zones in
/// order of first appearance. OpenMatrix: see omx_file.h. Fails with
/// "path:line: ..." or "path: ..." when the file cannot be read, holds a NUL
/// byte, a zone is not a whole number in 32 bits, a value is not a finite
/// non-negative number, a pair is given twice, an entry comes before any
/// origin, a column is missing or named twice, or the TNTP metadata
/// disagrees with the content. Prints nothing.
Status readTableInLayout(const std::string& path, TableLayout layout, ZoneTable& table);

/// Reads the trip table at `path` once, its layout found by content: the
/// HDF5 signature (OpenMatrix); a first line starting with "<" or "Origin"
/// (origin blocks: TNTP when the name ends in ".tntp", else Veldmark's);
/// else, when the name ends in ".csv" or the first line has a comma, long
/// CSV. Fails as readTableInLayout, or with "path: not a trip table in a
/// known layout". Prints nothing.
Status readReferenceTable(const std::string& path, ZoneTable& table);

}  // namespace veldmark
