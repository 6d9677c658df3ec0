// The long-form CSV table: header, then origin,destination,value rows.
#include "formats/csv_table_writer.h"

#include <sstream>
#include <utility>

#include "output/file_replace.h"
#include "output/shortest_number.h"

namespace veldmark {

void formatCsvTable(std::ostream& out, const ZoneTable& table) {
  out << "o_zone_id,d_zone_id,volume\n";
  const int count = table.zoneCount();
  for (int i = 0; i < count; ++i) {
    for (int j = 0; j < count; ++j) {
      out << table.zones[i] << ',' << table.zones[j] << ',';
      writeShortestNumber(out, table.at(i, j));
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
