// The estimated table in long form: one CSV row per ordered pair of zones.
#pragma once

#include <ostream>
#include <string>

#include "veldmark/types.h"
#include "veldmark/zone_table.h"

namespace veldmark {

/// Writes the header "o_zone_id,d_zone_id,volume" and then, origin after
/// origin in table order and within it destination after destination, one
/// row "origin,destination,value" per ordered pair of table.zones, each value
/// in its shortest round-trip form (std::to_chars), lines ending in "\n".
/// Leaves `out`'s error state for the caller to check; changes no data.
void formatCsvTable(std::ostream& out, const ZoneTable& table);

/// Makes the text of formatCsvTable the whole content of the file at `path`,
/// through a temporary file beside it (see replaceFileContents). Fails with
/// "path: cannot write: reason"; an existing file then keeps its content.
/// Prints nothing.
Status writeCsvTable(const std::string& path, const ZoneTable& table);

}  // namespace veldmark
