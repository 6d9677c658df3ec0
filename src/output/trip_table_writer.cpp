// The trip table file: its text, formatted in memory, replaces the file.
#include "output/trip_table_writer.h"

#include <locale>
#include <sstream>
#include <utility>

#include "output/file_replace.h"

namespace veldmark {

Status writeTripTable(const std::string& path, const DenseMatrix& tripTable,
                      const std::vector<NodeId>& zoneList, const std::vector<NodeId>& baseNodes,
                      const std::vector<std::uint8_t>& zoneFlags) {
  std::ostringstream text;
  text.imbue(std::locale::classic());
  formatTripTable(text, tripTable, zoneList, baseNodes, zoneFlags);
  if (!text) return Status{path + ": the trip table could not be formatted"};
  return replaceFileContents(path, std::move(text).str());
}

}  // namespace veldmark
