// Reading a trip table in any known layout; the layout found by content.
#include "formats/reference_table.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>

#include "formats/csv_records.h"
#include "formats/omx_file.h"
#include "formats/origin_blocks.h"
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

// Adds `zone` to table.zones unless `known` has it already.
void noteZone(ReferenceTable& table, std::set<NodeId>& known, NodeId zone) {
  if (known.insert(zone).second) table.zones.push_back(zone);
}

Status readRecord(const CsvTable& csv, const CsvRecord& record, const std::size_t (&columns)[3],
                  std::set<NodeId>& known, ReferenceTable& table) {
  std::string fields[3];
  for (int k = 0; k < 3; ++k) {
    if (Status status = csvField(csv, record, columns[k], fields[k]); !status.ok()) return status;
  }
  NodeId origin = 0;
  NodeId destination = 0;
  if (!parseNodeField(fields[0], origin) || !parseNodeField(fields[1], destination)) {
    return tntpLineError(csv.path, record.lineNumber, "zone ids must be whole numbers");
  }
  if (!isRealField(fields[2])) {
    return tntpLineError(csv.path, record.lineNumber, "volume is not a number");
  }
  noteZone(table, known, origin);
  noteZone(table, known, destination);
  if (!table.values
           .emplace(std::make_pair(origin, destination), std::strtod(fields[2].c_str(), nullptr))
           .second) {
    return tntpLineError(csv.path, record.lineNumber, "pair given twice");
  }
  return Status{};
}

Status readLongCsv(const std::string& path, ReferenceTable& table) {
  CsvTable csv;
  if (Status status = readCsvTable(path, csv); !status.ok()) return status;
  std::size_t columns[3] = {0, 0, 0};
  const char* names[3] = {"o_zone_id", "d_zone_id", "volume"};
  for (int k = 0; k < 3; ++k) {
    if (Status status = findCsvColumn(csv, names[k], columns[k]); !status.ok()) return status;
  }
  std::set<NodeId> known;
  for (const CsvRecord& record : csv.records) {
    Status status = readRecord(csv, record, columns, known, table);
    if (!status.ok()) return status;
  }
  return Status{};
}

Status readOmx(const std::string& path, ReferenceTable& table) {
  ZoneTable dense;
  if (Status status = readOmxTable(path, dense); !status.ok()) return status;
  table.zones = dense.zones;
  for (int i = 0; i < dense.zoneCount(); ++i) {
    for (int j = 0; j < dense.zoneCount(); ++j) {
      table.values[{dense.zones[i], dense.zones[j]}] = dense.at(i, j);
    }
  }
  return Status{};
}

// The first line of `path` that is neither blank nor a "~" comment.
std::string firstLine(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string line;
  while (std::getline(file, line)) {
    const std::size_t start = line.find_first_not_of(" \t\r\xEF\xBB\xBF");
    if (start != std::string::npos && line[start] != '~') return line.substr(start);
  }
  return "";
}

}  // namespace

Status readTableInLayout(const std::string& path, TableLayout layout, ReferenceTable& table) {
  table = ReferenceTable{};
  switch (layout) {
    case TableLayout::kVeldmark:
      return readOriginBlocks(path, false, table);
    case TableLayout::kTntp:
      return readOriginBlocks(path, true, table);
    case TableLayout::kLongCsv:
      return readLongCsv(path, table);
    case TableLayout::kOmx:
      return readOmx(path, table);
  }
  return Status{path + ": not a trip table in a known layout"};
}

Status readReferenceTable(const std::string& path, ReferenceTable& table) {
  if (hasHdf5Signature(path)) return readTableInLayout(path, TableLayout::kOmx, table);
  std::ifstream probe(path, std::ios::binary);
  if (!probe) return readTableInLayout(path, TableLayout::kVeldmark, table);  // names the error
  const std::string line = firstLine(path);
  if (line.rfind("<", 0) == 0 || line.rfind("Origin", 0) == 0) {
    const bool tntp = endsWith(path, ".tntp");
    return readTableInLayout(path, tntp ? TableLayout::kTntp : TableLayout::kVeldmark, table);
  }
  if (endsWith(path, ".csv") || line.find(',') != std::string::npos) {
    return readTableInLayout(path, TableLayout::kLongCsv, table);
  }
  if (endsWith(path, ".omx")) return readTableInLayout(path, TableLayout::kOmx, table);
  return Status{path + ": not a trip table in a known layout"};
}

ZoneTable denseTable(const ReferenceTable& table) {
  ZoneTable dense;
  dense.zones = table.zones;
  const std::size_t n = table.zones.size();
  dense.values.assign(n * n, 0.0);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      const auto entry = table.values.find({table.zones[i], table.zones[j]});
      if (entry != table.values.end()) dense.values[i * n + j] = entry->second;
    }
  }
  return dense;
}

}  // namespace veldmark
