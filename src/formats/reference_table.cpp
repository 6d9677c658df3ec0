// Reading a trip table in any known layout; the layout found by content.
#include "formats/reference_table.h"

#include <cctype>

#include "formats/csv_records.h"
#include "formats/omx_file.h"
#include "formats/origin_blocks.h"
#include "formats/table_builder.h"
#include "formats/text_file.h"
#include "formats/tntp_text.h"

namespace veldmark {
namespace {

bool endsWith(const std::string& text, const std::string& suffix) {
  if (text.size() < suffix.size()) return false;
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    const char c = text[text.size() - suffix.size() + i];
    if (std::tolower(static_cast<unsigned char>(c)) != suffix[i]) return false;
  }
  return true;
}

// The columns of a long CSV table: origin, destination, volume.
struct LongColumns {
  std::size_t at[3] = {0, 0, 0};
};

Status readRecord(const CsvTable& csv, const CsvRecord& record, const LongColumns& columns,
                  TableBuilder& builder) {
  std::string_view fields[3];
  for (int k = 0; k < 3; ++k) {
    if (Status status = csvFieldView(csv, record, columns.at[k], fields[k]); !status.ok()) {
      return status;
    }
  }
  NodeId origin = 0;
  NodeId destination = 0;
  if (!parseNodeText(fields[0], origin) || !parseNodeText(fields[1], destination)) {
    return tntpLineError(csv.path, record.lineNumber, "zone ids must be whole numbers");
  }
  double volume = 0.0;
  if (!parseRealText(fields[2], volume)) {
    return tntpLineError(csv.path, record.lineNumber, "volume is not a number");
  }
  return addEntry(builder, origin, destination, volume, record.lineNumber);
}

Status readLongCsv(const std::string& path, std::string_view content, ZoneTable& table) {
  CsvTable csv;
  csv.path = path;
  TableBuilder builder;
  builder.path = path;
  LongColumns columns;
  bool haveColumns = false;
  const char* names[3] = {"o_zone_id", "d_zone_id", "volume"};
  Status status = readCsvRecords(content, csv, [&](CsvRecord& record) {
    for (int k = 0; k < 3 && !haveColumns; ++k) {
      if (Status found = findCsvColumn(csv, names[k], columns.at[k]); !found.ok()) return found;
    }
    haveColumns = true;
    return readRecord(csv, record, columns, builder);
  });
  if (!status.ok()) return status;
  for (int k = 0; k < 3 && !haveColumns; ++k) {  // a header without records
    if (Status found = findCsvColumn(csv, names[k], columns.at[k]); !found.ok()) return found;
  }
  content = {};
  return buildTable(builder, table);
}

Status readInLayout(const std::string& path, const std::string& content, TableLayout layout,
                    ZoneTable& table) {
  switch (layout) {
    case TableLayout::kVeldmark:
      return readOriginBlocks(path, content, false, table);
    case TableLayout::kTntp:
      return readOriginBlocks(path, content, true, table);
    case TableLayout::kLongCsv:
      return readLongCsv(path, content, table);
    case TableLayout::kOmx:
      return readOmxImage(path, content, table);
  }
  return Status{path + ": not a trip table in a known layout"};
}

// The first line of `content` that is neither blank nor a "~" comment.
std::string_view firstLine(std::string_view content) {
  std::size_t offset = byteOrderMarkLength(content);
  while (offset < content.size()) {
    std::string_view line;
    offset = nextLine(content, offset, line);
    const std::size_t start = line.find_first_not_of(" \t\r");
    if (start != std::string_view::npos && line[start] != '~') return line.substr(start);
  }
  return {};
}

}  // namespace

Status readTableInLayout(const std::string& path, TableLayout layout, ZoneTable& table) {
  table = ZoneTable{};
  std::string content;
  if (Status status = readWholeFile(path, content); !status.ok()) return status;
  return readInLayout(path, content, layout, table);
}

Status readReferenceTable(const std::string& path, ZoneTable& table) {
  table = ZoneTable{};
  std::string content;
  if (Status status = readWholeFile(path, content); !status.ok()) return status;
  if (hasHdf5Signature(content)) return readInLayout(path, content, TableLayout::kOmx, table);
  const std::string_view line = firstLine(content);
  if (line.substr(0, 1) == "<" || line.substr(0, 6) == "Origin") {
    const bool tntp = endsWith(path, ".tntp");
    return readInLayout(path, content, tntp ? TableLayout::kTntp : TableLayout::kVeldmark, table);
  }
  if (endsWith(path, ".csv") || line.find(',') != std::string_view::npos) {
    return readInLayout(path, content, TableLayout::kLongCsv, table);
  }
  if (endsWith(path, ".omx")) return readInLayout(path, content, TableLayout::kOmx, table);
  return Status{path + ": not a trip table in a known layout"};
}

}  // namespace veldmark
