// A foreign input file read whole, once: so that a pipe (`<(...)`) or a FIFO
// can be read, and so that the layout can be told from the content before
// it is parsed. Text files are checked for what no text of ours holds.
#pragma once

#include <string>
#include <string_view>

#include "veldmark/types.h"

namespace veldmark {

/// Reads every byte of the file at `path` into `content` with read(2) until
/// its end, once (a pipe works). Fails with "path: cannot open: reason",
/// "path: is a directory" or "path: read error: reason". Lets std::bad_alloc
/// through when the file does not fit in memory. Prints nothing.
Status readWholeFile(const std::string& path, std::string& content);

/// Checks the text `content` of `path` for a NUL byte, which no text file
/// holds: fails with "path:LINE: NUL byte (not a text file, or a damaged
/// one)". Reads only.
Status checkNoNul(const std::string& path, std::string_view content);

/// checkNoNul, then checks that no line ends with a CR alone (a CR neither
/// followed by a LF nor the file's last byte): fails with "path:LINE: lines
/// end with a CR alone; convert the line ends to LF". Reads only.
Status checkText(const std::string& path, std::string_view content);

/// The length of a UTF-8 byte order mark at the start of `content` (3 or 0).
std::size_t byteOrderMarkLength(std::string_view content);

/// Reads `text` as a node number: an optional sign and decimal digits, in
/// the 32-bit signed range, nothing before or after. Returns false, leaving
/// `node`, otherwise.
bool parseNodeText(std::string_view text, NodeId& node);

/// Reads `text` as one real number as strtod would (an optional sign, a
/// decimal or exponent form, "inf" and "nan" too), nothing before or after;
/// rounds as strtod. Returns false, leaving `value`, otherwise.
bool parseRealText(std::string_view text, double& value);

}  // namespace veldmark
