// Reading "Origin N" blocks of "D : V;" entries straight from the file's text.
#include "formats/origin_blocks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "formats/table_builder.h"
#include "formats/text_file.h"
#include "formats/tntp_text.h"

namespace veldmark {
namespace {

// The reading position: the table being filled and its current origin.
struct BlockReader {
  TableBuilder builder;
  bool haveOrigin = false;
  NodeId origin = 0;
  int origins = 0;         // Origin lines read
  NodeId largestZone = 0;  // the largest zone named
  double sum = 0.0;        // the values in file order
};

std::string_view trimmedView(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t\r\f\v");
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t\r\f\v") - begin + 1);
}

Status lineError(const BlockReader& reader, int line, const std::string& what) {
  return tntpLineError(reader.builder.path, line, what);
}

// Reads one "D : V" entry of the current origin.
Status readEntry(BlockReader& reader, std::string_view entry, int line) {
  const std::size_t colon = entry.find(':');
  NodeId destination = 0;
  if (colon == std::string_view::npos ||
      !parseNodeText(trimmedView(entry.substr(0, colon)), destination)) {
    return lineError(reader, line, "entry \"destination : value\" expected");
  }
  double value = 0.0;
  if (!parseRealText(trimmedView(entry.substr(colon + 1)), value)) {
    return lineError(reader, line, "value is not a number");
  }
  if (!reader.haveOrigin) return lineError(reader, line, "entry before any Origin line");
  reader.largestZone = std::max(reader.largestZone, destination);
  reader.sum += value;
  return addEntry(reader.builder, reader.origin, destination, value, line);
}

// True when `text` is an "Origin" line (the word, then a blank or nothing).
bool isOriginLine(std::string_view text) {
  return text.substr(0, 6) == "Origin" &&
         (text.size() == 6 || text[6] == ' ' || text[6] == '\t' || text[6] == ';');
}

Status readBlockLine(BlockReader& reader, std::string_view text, int line) {
  if (isOriginLine(text)) {
    std::string_view number = trimmedView(text.substr(6));
    if (!number.empty() && number.back() == ';')
      number = trimmedView(number.substr(0, number.size() - 1));
    if (!parseNodeText(number, reader.origin)) {
      return lineError(reader, line, "\"Origin N\" expected");
    }
    reader.haveOrigin = true;
    ++reader.origins;
    reader.largestZone = std::max(reader.largestZone, reader.origin);
    std::int32_t position = 0;
    return addZone(reader.builder, reader.origin, line, position);
  }
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(';', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view entry = trimmedView(text.substr(start, end - start));
    if (!entry.empty()) {
      if (Status status = readEntry(reader, entry, line); !status.ok()) return status;
    }
    start = end + 1;
  }
  return Status{};
}

// The rounding of a number written as `text`: half a unit of its last decimal.
double writtenRounding(const std::string& text) {
  const std::size_t point = text.find('.');
  if (point == std::string::npos || text.find_first_of("eE") != std::string::npos) return 0.5;
  return 0.5 * std::pow(10.0, -static_cast<double>(text.size() - point - 1));
}

// The TNTP layout's promises: zones 1..N, the total of the entries.
Status checkAgainstMetadata(const BlockReader& reader, const TntpText& head) {
  const std::string& path = reader.builder.path;
  const std::size_t zones = reader.builder.zones.size();
  if (zones > 0 && reader.origins == 0) {
    return Status{path + ": no Origin block (the table is cut short after its header)"};
  }
  if (static_cast<std::size_t>(std::max<NodeId>(reader.largestZone, 0)) < zones) {
    return Status{path + ": <NUMBER OF ZONES> is " + std::to_string(zones) + " but no zone above " +
                  std::to_string(reader.largestZone) + " is named (is the table cut short?)"};
  }
  const auto total = head.metadata.find("TOTAL OD FLOW");
  if (total == head.metadata.end()) return Status{};
  double promised = 0.0;
  if (!parseRealText(total->second, promised)) {
    return Status{path + ": <TOTAL OD FLOW> is not a number"};
  }
  // The total as written may be rounded to its last decimal or to a whole
  // trip; a relative 1e-6 more covers totals computed in single precision.
  const double slack = std::max(0.5, writtenRounding(total->second)) + 1e-6 * std::fabs(promised);
  if (std::fabs(reader.sum - promised) > slack) {
    char sum[64];
    std::snprintf(sum, sizeof sum, "%.17g", reader.sum);
    return Status{path + ": <TOTAL OD FLOW> is " + total->second + " but the entries sum to " +
                  sum + " (is the table cut short?)"};
  }
  return Status{};
}

}  // namespace

Status readOriginBlocks(const std::string& path, std::string_view file, bool numberedZones,
                        ZoneTable& table) {
  if (Status status = checkText(path, file); !status.ok()) return status;
  const std::string_view content = file.substr(byteOrderMarkLength(file));
  TntpText head;
  std::size_t offset = 0;
  int line = 0;
  if (Status status = readTntpMetadata(path, content, head, offset, line); !status.ok()) {
    return status;
  }
  BlockReader reader;
  reader.builder.path = path;
  if (numberedZones) {
    long zones = 0;
    if (Status status = tntpMetadataNumber(head, "NUMBER OF ZONES", zones); !status.ok()) {
      return status;
    }
    // The table the metadata promises must fit before a line is read: a
    // claim of more zones than memory can hold is out of memory (thrown
    // here), a smaller false one is named by checkAgainstMetadata.
    std::vector<double>().reserve(checkedCellCount(static_cast<std::size_t>(zones)));
    numberZones(reader.builder, static_cast<NodeId>(zones));
  }
  for (; offset < content.size(); ++line) {
    std::string_view text;
    offset = nextLine(content, offset, text);
    text = trimmedView(text.substr(0, text.find('~')));
    if (text.empty()) continue;
    if (Status status = readBlockLine(reader, text, line); !status.ok()) return status;
  }
  if (numberedZones) {
    if (Status status = checkAgainstMetadata(reader, head); !status.ok()) return status;
  }
  return buildTable(reader.builder, table);
}

}  // namespace veldmark
