// CSV files read through libcsv: RFC 4180 quoting (separators, quotes and
// line ends inside quoted fields), LF or CRLF line ends, a UTF-8 byte order
// mark before the first field. Column names match without regard to case.
#pragma once

#include <functional>
#include <string>
#include <string_view>
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
  std::vector<CsvRecord> records;   // the records after the header, file order (readCsvTable)
};

/// Parses `content`, the whole text of table.path: its first record becomes
/// table.header, and `onRecord` is called for each later record in file
/// order (the record may be moved from), until it fails; empty lines are
/// skipped. A text without quotes is split at its commas directly (the
/// records libcsv would give, without its per-field work). Keeps no record itself, so a table of
/// millions of records takes no memory here beyond the current one. Fails as checkNoNul (a NUL
/// byte), with "path: no header line" for a text without records, "path:line: malformed quoted
/// field (...)", or onRecord's failure. Prints nothing.
Status readCsvRecords(std::string_view content, CsvTable& table,
                      const std::function<Status(CsvRecord&)>& onRecord);

/// Reads the CSV file at `path` (once: a pipe works) into `table`, every
/// record kept. Fails as readWholeFile or readCsvRecords. Prints nothing.
Status readCsvTable(const std::string& path, CsvTable& table);

/// Returns the position of the column named `name` in table.header, the
/// names compared without regard to ASCII case, in `column`. Fails with
/// "path:1: column NAME is named twice in the header" when two columns
/// match, or "path:1: no column NAME in the header (its columns: A, B, ...)"
/// followed by `hint` (e.g. "; name the count column with --count-column").
Status findCsvColumn(const CsvTable& table, const std::string& name, std::size_t& column,
                     const std::string& hint = "");

/// Returns the field of `record` in `column`, or fails with "path:line: no
/// NAME value" when the record is shorter or the field is empty.
Status csvField(const CsvTable& table, const CsvRecord& record, std::size_t column,
                std::string& field);

/// As csvField, the field as a view into `record` (valid while it lives).
Status csvFieldView(const CsvTable& table, const CsvRecord& record, std::size_t column,
                    std::string_view& field);

}  // namespace veldmark
