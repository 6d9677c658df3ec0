// Trip tables in "Origin" blocks: Veldmark's trip table file and the TNTP
// trip table share this layout.
#pragma once

#include <string>

#include "formats/reference_table.h"
#include "veldmark/types.h"

namespace veldmark {

/// Reads the origin blocks of `path` into `table` (see readTableInLayout for
/// the layout and the failures). With `numberedZones` the zones are 1 ..
/// <NUMBER OF ZONES> and every zone named must lie among them; without it
/// they are the zones named, in order of first appearance. Prints nothing.
Status readOriginBlocks(const std::string& path, bool numberedZones, ReferenceTable& table);

}  // namespace veldmark
