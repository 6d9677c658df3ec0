// A trip table collected entry by entry as a text file gives it, then laid
// out densely as a ZoneTable: the one place where every reader's checks on
// zones and values meet (a pair given twice, a value that is not a finite
// non-negative number, a zone outside a numbered table).
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "veldmark/types.h"
#include "veldmark/zone_table.h"

namespace veldmark {

// One pair as the file gives it: 24 bytes, so a table of 3.2 million pairs
// takes 77 MB here before it is laid out.
struct TableEntry {
  std::int32_t origin;       // index into TableBuilder::zones
  std::int32_t destination;  // index into TableBuilder::zones
  std::int32_t line;         // 1-based line of the file, for messages
  double value;              // trips
};

struct TableBuilder {
  std::string path;                                // for messages
  std::vector<NodeId> zones;                       // table order; each once
  std::unordered_map<NodeId, std::int32_t> index;  // zone -> position (not when numbered)
  bool numbered = false;                           // the zones are 1..N (N = zones.size())
  std::vector<TableEntry> entries;                 // file order
};

/// Makes the zones of `builder` 1..n, in that order; every zone named later
/// must be among them. REQUIRES: no zone added yet, n >= 0.
void numberZones(TableBuilder& builder, NodeId n);

/// Returns the position of `zone` in `position`, adding it at the end when
/// new (zones not numbered). Fails with "path:line: zone Z outside 1..N" for
/// a numbered table. Never prints.
Status addZone(TableBuilder& builder, NodeId zone, int line, std::int32_t& position);

/// Adds the pair (origin, destination) with `value` trips, both zones through
/// addZone. Fails with "path:line: ..." when the value is not finite or is
/// negative, or as addZone.
Status addEntry(TableBuilder& builder, NodeId origin, NodeId destination, double value, int line);

/// Lays the entries out as `table` (zones in builder order, N * N values,
/// pairs not given 0) and releases the entries. Fails with "path:line: pair
/// O to D given twice" at the second entry of the first pair given twice
/// (in file order). Allocates N * N doubles (std::bad_alloc when they do
/// not fit); prints nothing.
Status buildTable(TableBuilder& builder, ZoneTable& table);

}  // namespace veldmark
