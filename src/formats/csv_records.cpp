// libcsv driven one line at a time, so that each record knows its line.
#include "formats/csv_records.h"

#include <csv.h>

#include <cctype>

#include "formats/text_file.h"
#include "veldmark/file_name.h"

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

bool isFieldBlank(char c) {
  return c == ' ' || c == '\t';
}

// Splits one line of a text without quotes at its commas into
// record.fields (reusing their storage), blanks around each field trimmed,
// as libcsv does for unquoted fields.
void splitPlainLine(std::string_view line, CsvRecord& record) {
  std::size_t count = 0;
  for (std::size_t start = 0;; ++count) {
    std::size_t end = line.find(',', start);
    const bool last = end == std::string_view::npos;
    if (last) end = line.size();
    std::size_t begin = start;
    std::size_t stop = end;
    while (begin < stop && isFieldBlank(line[begin])) ++begin;
    while (stop > begin && isFieldBlank(line[stop - 1])) --stop;
    if (count == record.fields.size()) record.fields.emplace_back();
    record.fields[count].assign(line.data() + begin, stop - begin);
    if (last) break;
    start = end + 1;
  }
  record.fields.resize(count + 1);
}

// The fast way for a text without a quote or a CR inside a line, which is
// what libcsv would read as plain comma-separated lines: one record per
// non-blank line, the fields of each reused from the last.
Status readPlainRecords(std::string_view content, ParseState& state) {
  std::size_t start = byteOrderMarkLength(content);
  while (start < content.size() && state.status.ok()) {
    std::size_t end = content.find('\n', start);
    const std::size_t next = end == std::string_view::npos ? content.size() : end + 1;
    if (end == std::string_view::npos) end = content.size();
    if (end > start && content[end - 1] == '\r') --end;
    ++state.record.lineNumber;
    const std::string_view line = content.substr(start, end - start);
    start = next;
    if (line.empty()) continue;  // libcsv skips empty lines too
    splitPlainLine(line, state.record);
    if (!state.haveHeader) {
      state.table->header = state.record.fields;
      state.haveHeader = true;
    } else {
      state.status = (*state.onRecord)(state.record);
    }
  }
  if (!state.status.ok()) return state.status;
  if (!state.haveHeader) return Status{state.table->path + ": no header line"};
  return Status{};
}

// True when no quote appears, and no CR but before a LF: then every line is
// one record of plain fields.
bool isPlainText(std::string_view content) {
  if (content.find('"') != std::string_view::npos) return false;
  for (std::size_t cr = content.find('\r'); cr != std::string_view::npos;
       cr = content.find('\r', cr + 1)) {
    if (cr + 1 < content.size() && content[cr + 1] != '\n') return false;
  }
  return true;
}

}  // namespace

Status readCsvRecords(std::string_view content, CsvTable& table,
                      const std::function<Status(CsvRecord&)>& onRecord) {
  const std::string& path = table.path;
  if (Status status = checkNoNul(path, content); !status.ok()) return status;
  if (isPlainText(content)) {
    ParseState plain;
    plain.table = &table;
    plain.onRecord = &onRecord;
    return readPlainRecords(content, plain);
  }
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
  for (const std::string& header : table.header) {
    columns += (columns.empty() ? "" : ", ") + displayName(header);
  }
  return Status{table.path + ":1: no column " + name + " in the header (its columns: " + columns +
                ")" + hint};
}

Status csvField(const CsvTable& table, const CsvRecord& record, std::size_t column,
                std::string& field) {
  std::string_view view;
  if (Status status = csvFieldView(table, record, column, view); !status.ok()) return status;
  field = view;
  return Status{};
}

Status csvFieldView(const CsvTable& table, const CsvRecord& record, std::size_t column,
                    std::string_view& field) {
  if (column < record.fields.size() && !record.fields[column].empty()) {
    field = record.fields[column];
    return Status{};
  }
  return Status{table.path + ":" + std::to_string(record.lineNumber) + ": no " +
                displayName(table.header[column]) + " value"};
}

}  // namespace veldmark
