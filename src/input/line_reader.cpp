#include "input/line_reader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "input/number_parsing.h"
#include "veldmark/file_name.h"

namespace veldmark {
namespace {

// After a CR: true when the CR ends the line (a newline or the end of the
// file follows; the newline is consumed), false when it is line content.
bool crEndsLine(std::FILE* file) {
  const int next = std::getc(file);
  if (next == '\n' || next == EOF) return true;
  std::ungetc(next, file);
  return false;
}

// A line past its limit; one that holds a CR is a file whose lines end with
// a CR alone, read as one long line.
Status tooLong(const LineReader& reader, const LineKind& kind, bool holdsCr) {
  if (holdsCr) return lineError(reader, "lines end with a CR alone; convert the line ends to LF");
  return lineError(reader, std::string(kind.name) + " line longer than " +
                               std::to_string(kind.limit) + " bytes");
}

}  // namespace

Status openLineReader(const std::string& path, LineReader& reader) {
  reader.path = path;
  reader.lineNumber = 0;
  reader.file.reset(std::fopen(path.c_str(), "rb"));
  if (!reader.file) return Status{displayName(path) + ": cannot open: " + std::strerror(errno)};
  struct stat info {};
  if (fstat(fileno(reader.file.get()), &info) == 0 && S_ISDIR(info.st_mode)) {
    reader.file.reset();
    return Status{displayName(path) + ": is a directory"};
  }
  return Status{};
}

Status readLine(LineReader& reader, const LineKind& kind, bool& gotLine) {
  std::FILE* file = reader.file.get();
  int length = 0;
  bool consumed = false;
  bool holdsCr = false;
  int c = 0;
  ++reader.lineNumber;
  while ((c = std::getc(file)) != EOF) {
    consumed = true;
    if (c == '\n' || (c == '\r' && crEndsLine(file))) break;
    if (c == '\0') return lineError(reader, "NUL byte (not a text file, or a damaged one)");
    if (length == kind.limit) return tooLong(reader, kind, holdsCr);
    holdsCr = holdsCr || c == '\r';
    reader.text[length++] = static_cast<char>(c);
  }
  if (c == EOF && std::ferror(file)) {
    return lineError(reader, std::string("read error: ") + std::strerror(errno));
  }
  reader.text[length] = '\0';
  reader.length = length;
  gotLine = consumed;
  if (!consumed) --reader.lineNumber;
  return Status{};
}

Status skipLeadingLines(LineReader& reader, int metadataLines) {
  bool gotLine = false;
  for (int i = 0; i < metadataLines; ++i) {
    if (Status status = readLine(reader, kMetadataLine, gotLine); !status.ok()) return status;
  }
  return readLine(reader, kHeaderLine, gotLine);
}

Status readNodeField(const LineReader& reader, const char*& position, const char* field,
                     NodeId& node, NodeEnd end) {
  switch (readNode(position, node, end)) {
    case NumberRead::kRead:
      return Status{};
    case NumberRead::kOutOfRange:
      return lineError(reader, "node number out of range");
    case NumberRead::kNotANumber:
      break;
  }
  return lineError(reader, std::string(field) + " node expected");
}

Status lineError(const LineReader& reader, const std::string& what) {
  return Status{displayName(reader.path) + ":" + std::to_string(reader.lineNumber) + ": " + what};
}

}  // namespace veldmark
