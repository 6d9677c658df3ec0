// Line-by-line reading of the input text files. Lines end at a newline; a
// carriage return directly before the newline (or before the end of the
// file) belongs to the line end. A last line without a newline is a line like
// any other. Every line is checked against the limit of its kind.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "input/number_parsing.h"
#include "veldmark/constants.h"
#include "veldmark/types.h"

namespace veldmark {

// What a line is, for its length limit and for messages.
struct LineKind {
  const char* name;  // "metadata", "header", "link" or "flow"
  int limit;         // bytes allowed, line end excluded
};

inline constexpr LineKind kMetadataLine{"metadata", kMetadataLineLimit};
inline constexpr LineKind kHeaderLine{"header", kHeaderLineLimit};
inline constexpr LineKind kLinkLine{"link", kDataLineLimit};
inline constexpr LineKind kFlowLine{"flow", kDataLineLimit};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// An input file open for reading, with the last line read. The line buffer
// is reused for every line, so reading allocates nothing per line.
struct LineReader {
  std::unique_ptr<std::FILE, FileCloser> file;
  std::string path;                    // as given, for messages
  int lineNumber = 0;                  // 1-based number of the last line read
  char text[kDataLineLimit + 1] = {};  // the last line, followed by a NUL
  int length = 0;                      // its bytes (a line never holds a NUL)
};

/// Opens `path` for binary reading. Fails with "path: cannot open: <reason>"
/// or "path: is a directory" (the path as displayName gives it).
Status openLineReader(const std::string& path, LineReader& reader);

/// Reads the next line into reader.text, NUL-terminated. Sets `gotLine` false
/// once the file is exhausted. Fails with "path:line: <kind> line longer than
/// <limit> bytes" (or, when the long line holds a CR, "path:line: lines end
/// with a CR alone; ..."), "path:line: NUL byte (...)" for a NUL anywhere in
/// the line, or "path:line: read error: <reason>"; never stores more than
/// `kind.limit` bytes.
Status readLine(LineReader& reader, const LineKind& kind, bool& gotLine);

/// Reads past `metadataLines` metadata lines and the header line. A file that
/// ends among them is not an error: later reads simply find no line.
Status skipLeadingLines(LineReader& reader, int metadataLines);

/// Reads the node number at `position` (see readNode, ending as `end` says)
/// for the field named `field` ("from" or "to"). Fails with "path:line:
/// <field> node expected" or "path:line: node number out of range"; moves
/// `position` only on success.
Status readNodeField(const LineReader& reader, const char*& position, const char* field,
                     NodeId& node, NodeEnd end = NodeEnd::kWhole);

/// Returns "path:line: what" for the last line read (the path as
/// displayName gives it).
Status lineError(const LineReader& reader, const std::string& what);

}  // namespace veldmark
