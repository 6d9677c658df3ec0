// Veldmark's own input files made from a ForeignNetwork: the base network
// (every link), the abstract network (the observed links) and the link flow
// file, each within the line limits of its format.
#pragma once

#include <string>

#include "formats/foreign_network.h"
#include "veldmark/types.h"

namespace veldmark {

// The texts of the three files.
struct NetworkFiles {
  std::string base;      // link file: every link in source order
  std::string abstract;  // link file: the observed links in source order
  std::string flows;     // link flow file: one line per pair of nodes of observed links
};

/// Formats the three files of `network` (with `withCounts`), or the base
/// file alone (without: abstract and flows stay empty). No limit on the
/// number of links or nodes applies: the files hold what the source holds.
/// Link files: 7 metadata lines of at most kMetadataLineLimit characters
/// (longer source notes and file names are cut; a file name holding a
/// control byte such as a newline is quoted and escaped, so that every
/// metadata line stays one line), the header "from to " and the attribute names (cut to
/// kHeaderLineLimit), then "from to a1 ... a8" per link. Flow file: 5
/// metadata lines, "from to   flow second", then per pair of nodes, in order
/// of its first observed link, "from to" and per link between them "   flow
/// second" (three blanks before each flow). Fails with "file:line: ..." for
/// a link or flow line that would pass kDataLineLimit, naming its source
/// line, or "flowSource: no observed link". Prints nothing.
Status formatNetworkFiles(const ForeignNetwork& network, NetworkFiles& files,
                          bool withCounts = true);

}  // namespace veldmark
