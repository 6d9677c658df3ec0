// The long-form CSV table: header, then origin,destination,value rows.
#include "formats/csv_table_writer.h"

#include <charconv>
#include <sstream>
#include <utility>

#include "output/file_replace.h"

namespace veldmark {
namespace {

// Writes `value` in the shortest form that reads back to the same double.
void writeShortest(std::ostream& out, double value) {
  char text[32];
  const std::to_chars_result result = std::to_chars(text, text + sizeof text, value);
  out.write(text, result.ptr - text);
}

}  // namespace

void formatCsvTable(std::ostream& out, const ZoneTable& table) {
  out << "o_zone_id,d_zone_id,volume\n";
  const int count = table.zoneCount();
  for (int i = 0; i < count; ++i) {
    for (int j = 0; j < count; ++j) {
      out << table.zones[i] << ',' << table.zones[j] << ',';
      writeShortest(out, table.at(i, j));
      out << '\n';
    }
  }
}

Status writeCsvTable(const std::string& path, const ZoneTable& table) {
  std::ostringstream text;
  text.imbue(std::locale::classic());
  formatCsvTable(text, table);
  if (!text) return Status{path + ": cannot write: the table could not be formatted"};
  return replaceFileContents(path, std::move(text).str());
}

}  // namespace veldmark
