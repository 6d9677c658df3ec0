// The text layer of the TNTP files: an optional metadata block of "<KEY>
// value" lines ended by "<END OF METADATA>", "~" comments to the end of a
// line, fields separated by tabs or blanks, ";" ending a record.
#pragma once

#include <map>
#include <string>
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

/// Reads the TNTP file at `path` into `text`. A file whose first non-blank
/// line starts with "<" opens with a metadata block that must end with
/// "<END OF METADATA>"; other files have none. A CR before a newline belongs
/// to the line end. Fails with "path: cannot open: reason" or "path:line:
/// ..." for a metadata line that is not "<KEY> value" or a block that never
/// ends. Prints nothing.
Status readTntpText(const std::string& path, TntpText& text);

/// Returns the metadata value of `key` as a whole number in `value`; fails
/// with "path: ..." when the key is missing or its value is not one.
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
