// The link file format shared by the base and the abstract network files:
// 7 metadata lines (at most 49 characters), 1 header line (at most 199), then
// one link per line (at most 499): from node, to node, eight reals.
#pragma once

#include <string>
#include <vector>

#include "veldmark/network.h"
#include "veldmark/types.h"

namespace veldmark {

/// Reads the link file at `path` into `links`, in file order.
/// Nodes are read as by strtol (base 10) and must end at a blank, a tab, a CR
/// or the end of the line and fit in 32 bits; attributes are read as by
/// strtod from a moving position, unchecked; an unreadable attribute is 0. A CR before the newline
/// belongs to the line end; a last line without a newline is read like any other; a blank line
/// after the header is skipped. Fails (with "path:line: ...") when the file cannot be opened, a
/// line is longer than its limit or holds a NUL byte, a from or to node cannot be read whole or is
/// out of range, there are more than `maxLinks` link lines, or there is no link line at all. Never
/// writes past `maxLinks` entries; prints nothing.
Status readLinkFile(const std::string& path, std::vector<LinkLine>& links, int maxLinks);

/// Stores the link lines of the abstract network file as its endpoints,
/// records (flows 0) and line numbers. Sets `network.path` to `path`.
void storeAbstractLinks(const std::string& path, const std::vector<LinkLine>& links,
                        AbstractNetwork& network);

}  // namespace veldmark
