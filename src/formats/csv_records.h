// CSV files read through libcsv: RFC 4180 quoting (separators, quotes and
// line ends inside quoted fields), LF or CRLF line ends, a UTF-8 byte order
// mark before the first field.
#pragma once

#include <string>
#include <vector>

#include "veldmark/types.h"

namespace veldmark {

// One record of a CSV file.
struct CsvRecord {
  std::vector<std::string> fields;  // unquoted texts; blanks around unquoted fields trimmed
  int lineNumber = 0;               // 1-based line on which the record ends
};

// A CSV file whose first record is its header.
struct CsvTable {
  std::string path;                 // as given, for messages
  std::vector<std::string> header;  // the names of the columns
  std::vector<CsvRecord> records;   // the records after the header, file order
};

/// Reads the CSV file at `path` into `table`; empty lines are skipped. Fails
/// with "path: cannot open: reason", "path: no header line" for a file
/// without records, or "path:line: ..." for a malformed quoted field.
/// Prints nothing.
Status readCsvTable(const std::string& path, CsvTable& table);

/// Returns the position of the column named `name` in table.header (exact
/// match) in `column`; fails with "path:1: no column NAME in the header".
Status findCsvColumn(const CsvTable& table, const std::string& name, std::size_t& column);

/// Returns the field of `record` in `column`, or fails with "path:line: no
/// NAME value" when the record is shorter or the field is empty.
Status csvField(const CsvTable& table, const CsvRecord& record, std::size_t column,
                std::string& field);

}  // namespace veldmark
