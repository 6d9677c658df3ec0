// The trip table file: its text, formatted in memory, replaces the file.
#include "output/trip_table_writer.h"

#include <cstring>
#include <locale>
#include <sstream>
#include <utility>

#include "output/file_replace.h"
#include "output/in_place_write.h"
#include "output/temporary_file_registry.h"
#include "output/trip_table_format.h"
#include "veldmark/file_name.h"

namespace veldmark {

namespace {

// The table's text in `text`, or a failure.
Status formatText(const std::string& path, const DenseMatrix& tripTable,
                  const std::vector<NodeId>& zoneList, const std::vector<NodeId>& baseNodes,
                  const std::vector<std::uint8_t>& zoneFlags, std::string& text) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  formatTripTable(out, tripTable, zoneList, baseNodes, zoneFlags);
  if (!out) return Status{displayName(path) + ": the trip table could not be formatted"};
  text = std::move(out).str();
  return Status{};
}

}  // namespace

Status writeTripTable(const std::string& path, const DenseMatrix& tripTable,
                      const std::vector<NodeId>& zoneList, const std::vector<NodeId>& baseNodes,
                      const std::vector<std::uint8_t>& zoneFlags) {
  std::string text;
  Status status = formatText(path, tripTable, zoneList, baseNodes, zoneFlags, text);
  return status.ok() ? replaceFileContents(path, text) : status;
}

Status appendTripTable(int fd, const std::string& path, const DenseMatrix& tripTable,
                       const std::vector<NodeId>& zoneList, const std::vector<NodeId>& baseNodes,
                       const std::vector<std::uint8_t>& zoneFlags) {
  std::string text;
  Status status = formatText(path, tripTable, zoneList, baseNodes, zoneFlags, text);
  if (!status.ok()) return status;
  sigset_t previous;
  blockTerminationSignals(previous);
  const int error = writeAll(fd, text);
  restoreSignalMask(previous);
  if (error == 0) return Status{};
  return Status{displayName(path) + ": cannot write: " + std::strerror(error)};
}

}  // namespace veldmark
