// libcsv driven one line at a time, so that each record knows its line.
#include "formats/csv_records.h"

#include <csv.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace veldmark {
namespace {

constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";

// What the libcsv callbacks build.
struct ParseState {
  std::vector<CsvRecord> records;
  std::vector<std::string> fields;
  int lineNumber = 0;
};

void onField(void* text, std::size_t length, void* data) {
  ParseState& state = *static_cast<ParseState*>(data);
  state.fields.emplace_back(text == nullptr ? "" : std::string(static_cast<char*>(text), length));
}

void onRecord(int, void* data) {
  ParseState& state = *static_cast<ParseState*>(data);
  state.records.push_back(CsvRecord{std::move(state.fields), state.lineNumber});
  state.fields.clear();
}

Status parseError(const std::string& path, int lineNumber) {
  return Status{path + ":" + std::to_string(lineNumber) +
                ": malformed quoted field (a quote inside a field must be doubled, and a "
                "quoted field must be closed)"};
}

// Parses `content` line by line into state.records.
Status parse(const std::string& path, const std::string& content, ParseState& state) {
  csv_parser parser;
  if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0) return Status{path + ": out of memory"};
  std::size_t start = content.rfind(kByteOrderMark, 0) == 0 ? 3 : 0;
  Status status;
  while (start < content.size() && status.ok()) {
    const std::size_t newline = content.find('\n', start);
    const std::size_t end = newline == std::string::npos ? content.size() : newline + 1;
    ++state.lineNumber;
    const std::size_t length = end - start;
    if (csv_parse(&parser, content.data() + start, length, onField, onRecord, &state) != length) {
      status = parseError(path, state.lineNumber);
    }
    start = end;
  }
  if (status.ok() && csv_fini(&parser, onField, onRecord, &state) != 0) {
    status = parseError(path, state.lineNumber);
  }
  csv_free(&parser);
  return status;
}

// The whole content of the file at `path`.
Status readWholeFile(const std::string& path, std::string& content) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return Status{path + ": cannot open: " + std::strerror(errno)};
  std::ostringstream text;
  text << file.rdbuf();
  content = text.str();
  return Status{};
}

}  // namespace

Status readCsvTable(const std::string& path, CsvTable& table) {
  table = CsvTable{};
  table.path = path;
  std::string content;
  if (Status status = readWholeFile(path, content); !status.ok()) return status;
  ParseState state;
  if (Status status = parse(path, content, state); !status.ok()) return status;
  if (state.records.empty()) return Status{path + ": no header line"};
  table.header = std::move(state.records.front().fields);
  table.records.assign(std::make_move_iterator(state.records.begin() + 1),
                       std::make_move_iterator(state.records.end()));
  return Status{};
}

Status findCsvColumn(const CsvTable& table, const std::string& name, std::size_t& column) {
  for (std::size_t c = 0; c < table.header.size(); ++c) {
    if (table.header[c] != name) continue;
    column = c;
    return Status{};
  }
  return Status{table.path + ":1: no column " + name + " in the header"};
}

Status csvField(const CsvTable& table, const CsvRecord& record, std::size_t column,
                std::string& field) {
  if (column < record.fields.size() && !record.fields[column].empty()) {
    field = record.fields[column];
    return Status{};
  }
  return Status{table.path + ":" + std::to_string(record.lineNumber) + ": no " +
                table.header[column] + " value"};
}

}  // namespace veldmark
