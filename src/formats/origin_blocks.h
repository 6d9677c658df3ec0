// Trip tables in "Origin" blocks: Veldmark's trip table file and the TNTP
// trip table share this layout.
#pragma once

#include <string>
#include <string_view>

#include "veldmark/types.h"
#include "veldmark/zone_table.h"

namespace veldmark {

/// Reads the origin blocks of `content`, the whole text of `path`, into
/// `table`: an optional metadata block, then "Origin N" lines each followed
/// by entries "D : V" ended by ";" (several to a line, "~" comments
/// allowed). With `numberedZones` (the TNTP layout) the zones are 1 ..
/// <NUMBER OF ZONES>, every zone named must lie among them, and the content
/// must agree with the metadata: at least one Origin block when there are
/// zones, zone N named somewhere, and the entries summing to <TOTAL OD FLOW>
/// (when given) within its rounding. Without it the zones are those named,
/// in order of first appearance. Fails with "path:line: ..." or "path: ..."
/// (checkText, a zone, value or line that cannot be read, a negative or
/// non-finite value, a pair given twice, an entry before any Origin line,
/// the metadata's disagreement). Throws std::bad_alloc when the N * N table
/// that <NUMBER OF ZONES> promises cannot be allocated (checked before any
/// line is read), and lets it through from later steps. Prints nothing.
Status readOriginBlocks(const std::string& path, std::string_view content, bool numberedZones,
                        ZoneTable& table);

}  // namespace veldmark
