// Splitting a TNTP file into metadata and data fields.
#include "formats/tntp_text.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "formats/text_file.h"

namespace veldmark {
namespace {

constexpr const char* kEndOfMetadata = "END OF METADATA";

bool isBlankChar(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string trimmed(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isBlankChar(text[begin])) ++begin;
  while (end > begin && isBlankChar(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// Splits `text` at tabs and blanks; drops ";" terminators and empty fields.
std::vector<std::string> splitFields(const std::string& text) {
  std::vector<std::string> fields;
  std::string field;
  for (const char c : text + " ") {
    if (!isBlankChar(c) && c != ';') {
      field += c;
    } else if (!field.empty()) {
      fields.push_back(field);
      field.clear();
    }
  }
  return fields;
}

// Stores "<KEY> value" of one metadata line; sets `ended` at the last one.
Status readMetadataLine(TntpText& text, const std::string& line, int number, bool& ended) {
  const std::string content = trimmed(line);
  const std::size_t close = content.find('>');
  if (content.empty() || content[0] != '<' || close == std::string::npos) {
    return tntpLineError(text.path, number, "metadata line \"<KEY> value\" expected");
  }
  const std::string key = content.substr(1, close - 1);
  ended = key == kEndOfMetadata;
  if (!ended) text.metadata[key] = trimmed(content.substr(close + 1));
  return Status{};
}

// Stores one line after the metadata: a comment, a blank or a data line.
void readDataLine(TntpText& text, const std::string& line, int number) {
  const std::size_t tilde = line.find('~');
  const std::string data = tilde == std::string::npos ? line : line.substr(0, tilde);
  TntpLine entry{data, splitFields(data), number};
  if (entry.fields.empty()) {
    if (tilde != std::string::npos && text.lines.empty()) {
      text.columnComment = line.substr(tilde + 1);
    }
    return;
  }
  text.lines.push_back(std::move(entry));
}

}  // namespace

std::size_t nextLine(std::string_view content, std::size_t start, std::string_view& line) {
  std::size_t end = content.find('\n', start);
  const std::size_t next = end == std::string_view::npos ? content.size() : end + 1;
  if (end == std::string_view::npos) end = content.size();
  if (end > start && content[end - 1] == '\r') --end;
  line = content.substr(start, end - start);
  return next;
}

Status readTntpMetadata(const std::string& path, std::string_view content, TntpText& text,
                        std::size_t& dataStart, int& dataLine) {
  text.path = path;
  std::size_t offset = 0;
  int number = 0;
  bool inBlock = false;
  while (offset < content.size()) {
    std::string_view view;
    const std::size_t next = nextLine(content, offset, view);
    ++number;
    const std::string line = trimmed(std::string(view));
    if (!inBlock && line.empty()) {
      offset = next;
      continue;
    }
    if (!inBlock && line[0] != '<') break;
    inBlock = true;
    bool ended = false;
    if (Status status = readMetadataLine(text, line, number, ended); !status.ok()) return status;
    offset = next;
    if (ended) {
      dataStart = offset;
      dataLine = number + 1;
      return Status{};
    }
  }
  if (inBlock) return tntpLineError(path, number, "no <END OF METADATA> line");
  dataStart = 0;
  dataLine = 1;
  return Status{};
}

Status readTntpText(const std::string& path, TntpText& text) {
  text = TntpText{};
  std::string file;
  if (Status status = readWholeFile(path, file); !status.ok()) return status;
  if (Status status = checkText(path, file); !status.ok()) return status;
  const std::string_view content = std::string_view(file).substr(byteOrderMarkLength(file));
  std::size_t offset = 0;
  int number = 0;
  if (Status status = readTntpMetadata(path, content, text, offset, number); !status.ok()) {
    return status;
  }
  for (; offset < content.size(); ++number) {
    std::string_view line;
    offset = nextLine(content, offset, line);
    readDataLine(text, std::string(line), number);
  }
  return Status{};
}

Status tntpMetadataInteger(const TntpText& text, const std::string& key, long& value) {
  const auto entry = text.metadata.find(key);
  if (entry == text.metadata.end()) return Status{text.path + ": no <" + key + "> line"};
  NodeId number = 0;
  if (!parseNodeField(entry->second, number)) {
    return Status{text.path + ": <" + key + "> is not a whole number"};
  }
  value = number;
  return Status{};
}

Status tntpMetadataNumber(const TntpText& text, const std::string& key, long& value) {
  long number = 0;
  if (Status status = tntpMetadataInteger(text, key, number); !status.ok()) return status;
  if (number < 0) return Status{text.path + ": <" + key + "> is not a whole number"};
  value = number;
  return Status{};
}

bool parseNodeField(const std::string& field, NodeId& node) {
  if (field.empty() || isBlankChar(field[0])) return false;
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(field.c_str(), &end, 10);
  if (end != field.c_str() + field.size() || errno == ERANGE || value < INT32_MIN ||
      value > INT32_MAX) {
    return false;
  }
  node = static_cast<NodeId>(value);
  return true;
}

bool isRealField(const std::string& field) {
  if (field.empty() || isBlankChar(field[0])) return false;
  char* end = nullptr;
  const double value = std::strtod(field.c_str(), &end);
  return end == field.c_str() + field.size() && std::isfinite(value);
}

Status tntpLineError(const std::string& path, int lineNumber, const std::string& what) {
  return Status{path + ":" + std::to_string(lineNumber) + ": " + what};
}

}  // namespace veldmark
