// libcsv driven one line at a time, so that each record knows its line.
#include "formats/csv_records.h"

#include <csv.h>

#include <cctype>

#include "formats/text_file.h"

namespace veldmark {
namespace {

// What the libcsv callbacks build: the record being read, and where it goes.
struct ParseState {
  CsvTable* table = nullptr;
  const std::function<Status(CsvRecord&)>* onRecord = nullptr;
  CsvRecord record;
  bool haveHeader = false;
  Status status;  // the first failure of onRecord
};

void onField(void* text, std::size_t length, void* data) {
  ParseState& state = *static_cast<ParseState*>(data);
  state.record.fields.emplace_back(text == nullptr ? ""
                                                   : std::string(static_cast<char*>(text), length));
}

void onRecordEnd(int, void* data) {
  ParseState& state = *static_cast<ParseState*>(data);
  if (!state.haveHeader) {
    state.table->header = std::move(state.record.fields);
    state.haveHeader = true;
  } else if (state.status.ok()) {
    state.status = (*state.onRecord)(state.record);
  }
  state.record.fields.clear();
}

Status parseError(const std::string& path, int lineNumber) {
  return Status{path + ":" + std::to_string(lineNumber) +
                ": malformed quoted field (a quote inside a field must be doubled, and a "
                "quoted field must be closed)"};
}

bool sameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

Status readCsvRecords(std::string_view content, CsvTable& table,
                      const std::function<Status(CsvRecord&)>& onRecord) {
  const std::string& path = table.path;
  if (Status status = checkNoNul(path, content); !status.ok()) return status;
  csv_parser parser;
  if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0) return Status{path + ": out of memory"};
  ParseState state;
  state.table = &table;
  state.onRecord = &onRecord;
  std::size_t start = byteOrderMarkLength(content);
  Status status;
  while (start < content.size() && status.ok() && state.status.ok()) {
    const std::size_t newline = content.find('\n', start);
    const std::size_t end = newline == std::string_view::npos ? content.size() : newline + 1;
    ++state.record.lineNumber;
    const std::size_t length = end - start;
    if (csv_parse(&parser, content.data() + start, length, onField, onRecordEnd, &state) !=
        length) {
      status = parseError(path, state.record.lineNumber);
    }
    start = end;
  }
  if (status.ok() && state.status.ok() && csv_fini(&parser, onField, onRecordEnd, &state) != 0) {
    status = parseError(path, state.record.lineNumber);
  }
  csv_free(&parser);
  if (!status.ok()) return status;
  if (!state.status.ok()) return state.status;
  if (!state.haveHeader) return Status{path + ": no header line"};
  return Status{};
}

Status readCsvTable(const std::string& path, CsvTable& table) {
  table = CsvTable{};
  table.path = path;
  std::string content;
  if (Status status = readWholeFile(path, content); !status.ok()) return status;
  return readCsvRecords(content, table, [&table](CsvRecord& record) {
    table.records.push_back(std::move(record));
    return Status{};
  });
}

Status findCsvColumn(const CsvTable& table, const std::string& name, std::size_t& column,
                     const std::string& hint) {
  bool found = false;
  for (std::size_t c = 0; c < table.header.size(); ++c) {
    if (!sameName(table.header[c], name)) continue;
    if (found) return Status{table.path + ":1: column " + name + " is named twice in the header"};
    column = c;
    found = true;
  }
  if (found) return Status{};
  std::string columns;
  for (const std::string& header : table.header) columns += (columns.empty() ? "" : ", ") + header;
  return Status{table.path + ":1: no column " + name + " in the header (its columns: " + columns +
                ")" + hint};
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
