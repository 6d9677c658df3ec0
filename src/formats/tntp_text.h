// The text layer of the TNTP files: an optional metadata block of "<KEY>
// value" lines ended by "<END OF METADATA>", "~" comments to the end of a
// line, fields separated by tabs or blanks, ";" ending a record.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "veldmark/types.h"

namespace veldmark {

// One line of a TNTP file that holds data, comment and terminator removed.
struct TntpLine {
  std::string text;                 // the line without its comment and line end
  std::vector<std::string> fields;  // its fields, separators and ";" removed
  int lineNumber = 0;               // 1-based line in the file
};

// A TNTP file split into its metadata and its data lines.
struct TntpText {
  std::string path;                             // as given, for messages
  std::map<std::string, std::string> metadata;  // "NUMBER OF ZONES" -> "24", ...
  std::string columnComment;    // the last "~" comment before the first data line, "~" removed
  std::vector<TntpLine> lines;  // data lines in file order; blank lines left out
};

/// Reads the TNTP file at `path` into `text` (readWholeFile, so once: a pipe
/// works). A UTF-8 byte order mark first is skipped. A file whose first
/// non-blank line starts with "<" opens with a metadata block that must end
/// with "<END OF METADATA>"; other files have none. A CR before a newline
/// belongs to the line end. Fails with "path: cannot open: reason", as
/// checkText (a NUL byte, lines that end with a CR alone), or "path:line:
/// ..." for a metadata line that is not "<KEY> value" or a block that never
/// ends. Prints nothing.
Status readTntpText(const std::string& path, TntpText& text);

/// Reads the metadata block (if any) at the start of `content`, the checked
/// text of `path` without its byte order mark, into text.metadata (and
/// text.path); sets `dataStart` to the offset of the line after the block
/// (0 without one) and `dataLine` to that line's 1-based number. Fails as
/// readTntpText. Prints nothing.
Status readTntpMetadata(const std::string& path, std::string_view content, TntpText& text,
                        std::size_t& dataStart, int& dataLine);

/// The line of `content` that starts at `start`: its text without the line
/// end (LF or CRLF) in `line`; returns the offset of the next line.
std::size_t nextLine(std::string_view content, std::size_t start, std::string_view& line);

/// Returns the metadata value of `key` as an integer (negative ones too) in
/// `value`; fails with "path: no <KEY> line" or "path: <KEY> is not a whole
/// number".
Status tntpMetadataInteger(const TntpText& text, const std::string& key, long& value);

/// Returns the metadata value of `key` as a whole number (0 or more) in
/// `value`; fails with "path: ..." when the key is missing or its value is
/// not one.
Status tntpMetadataNumber(const TntpText& text, const std::string& key, long& value);

/// Reads `field` as a node number (a whole decimal number in the 32-bit
/// range, nothing else). Returns false, leaving `node`, otherwise.
bool parseNodeField(const std::string& field, NodeId& node);

/// True when `field` is one finite real number as strtod reads it, with
/// nothing before or after it.
bool isRealField(const std::string& field);

/// Returns "path:line: what".
Status tntpLineError(const std::string& path, int lineNumber, const std::string& what);

}  // namespace veldmark
