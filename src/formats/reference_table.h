// A trip table read back from any of the forms Veldmark writes or a planner
// brings: Veldmark's trip table file, a TNTP trip table, a long CSV table or
// an OpenMatrix file.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "veldmark/types.h"
#include "veldmark/zone_table.h"

namespace veldmark {

// A table of trips between zones, as a file gives it.
struct ReferenceTable {
  std::vector<NodeId> zones;  // the zone numbers the file names, in its order, each once
  std::map<std::pair<NodeId, NodeId>, double> values;  // (origin, destination) -> trips;
                                                       // a pair absent is 0
};

// The layouts of trip table files in text.
enum class TableLayout {
  kVeldmark,  // "Origin" blocks of "d : v;" entries; zones in order of first appearance
  kTntp,      // the same blocks; zones 1 .. <NUMBER OF ZONES>
  kLongCsv,   // header naming o_zone_id, d_zone_id, volume; one record per pair
  kOmx,       // an OpenMatrix file (see omx_file.h)
};

/// Reads the trip table at `path` in `layout` into `table`. Origin blocks:
/// an optional metadata block, then "Origin N" lines each followed by
/// entries "D : V" ended by ";" (several to a line, "~" comments allowed);
/// the TNTP layout requires <NUMBER OF ZONES> and every zone within 1..N.
/// Long CSV: extra columns ignored; zones in order of first appearance.
/// Fails with "path:line: ..." (or "path: ...") when the file cannot be
/// read, a zone is not a whole number, a value is not a finite number, a
/// pair is given twice, an entry comes before any origin, or a required
/// column or metadata line is missing. Prints nothing.
Status readTableInLayout(const std::string& path, TableLayout layout, ReferenceTable& table);

/// Reads the trip table at `path`, its layout found by content: the HDF5
/// signature (OpenMatrix); a first line starting with "<" or "Origin"
/// (origin blocks: TNTP when the name ends in ".tntp", else Veldmark's);
/// else, when the name ends in ".csv" or the first line has a comma, long
/// CSV; else by the extension ".omx". Fails as readTableInLayout, or with
/// "path: not a trip table in a known layout". Prints nothing.
Status readReferenceTable(const std::string& path, ReferenceTable& table);

/// Returns `table` as a ZoneTable over table.zones in their order, pairs the
/// file did not give as 0. Allocates N * N values; prints nothing.
ZoneTable denseTable(const ReferenceTable& table);

}  // namespace veldmark
