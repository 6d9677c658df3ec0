// veldmark-convert's network sub-commands: `tntp` and `csv`, from foreign
// files to Veldmark's link files, link flow file and list of zones.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "veldmark/types.h"

namespace veldmark {

/// Converts, by `command`:
///   tntp NET.tntp OUTDIR                  base.txt (and zones.txt)
///   tntp NET.tntp FLOW.tntp|COUNTS.csv OUTDIR
///                                         base.txt, abstract.txt, flows.txt (and zones.txt)
///   csv LINKS.csv COUNTS.csv OUTDIR       base.txt, abstract.txt, flows.txt
/// `files` are the file arguments in that order (their number checked by the
/// caller). COUNTS.csv is told from a TNTP flow file by its ".csv" name or a
/// comma in its first line. zones.txt lists the zones 1 to <NUMBER OF ZONES>
/// of a TNTP network, one a line after a "#" comment. Refuses OUTDIR when it
/// is the same file as an input (checkOutputsApart), before anything is
/// written. Writes OUTDIR whole or not at all (writeDirectory), then one
/// summary line to `console`: what was written and whether routes may pass
/// through zones ("--through-zones"). Fails with the readers' and writer's
/// messages. Lets std::bad_alloc through.
Status convertNetwork(const std::string& command, const std::vector<std::string>& files,
                      const std::string& countColumn, std::ostream& console);

}  // namespace veldmark
