// Reading "Origin N" blocks of "D : V;" entries.
#include "formats/origin_blocks.h"

#include <cstdlib>
#include <set>

#include "formats/tntp_text.h"

namespace veldmark {
namespace {

// The reading position: the table being filled and its current origin.
struct BlockReader {
  const std::string& path;
  ReferenceTable& table;
  long numberedZones = 0;  // N when the zones are 1..N, else 0
  std::set<NodeId> known;  // the zones already in table.zones
  bool haveOrigin = false;
  NodeId origin = 0;
};

std::string trimmedText(const std::string& text) {
  const std::size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

// Checks `zone` against 1..N, or records it as named when zones are not numbered.
Status noteZone(BlockReader& reader, NodeId zone, int line) {
  if (reader.numberedZones > 0 && (zone < 1 || zone > reader.numberedZones)) {
    return tntpLineError(
        reader.path, line,
        "zone " + std::to_string(zone) + " outside 1.." + std::to_string(reader.numberedZones));
  }
  if (reader.numberedZones == 0 && reader.known.insert(zone).second) {
    reader.table.zones.push_back(zone);
  }
  return Status{};
}

// Reads one "D : V" entry of the current origin.
Status readEntry(BlockReader& reader, const std::string& entry, int line) {
  const std::size_t colon = entry.find(':');
  NodeId destination = 0;
  if (colon == std::string::npos ||
      !parseNodeField(trimmedText(entry.substr(0, colon)), destination)) {
    return tntpLineError(reader.path, line, "entry \"destination : value\" expected");
  }
  const std::string value = trimmedText(entry.substr(colon + 1));
  if (!isRealField(value)) return tntpLineError(reader.path, line, "value is not a number");
  if (!reader.haveOrigin) return tntpLineError(reader.path, line, "entry before any Origin line");
  if (Status status = noteZone(reader, destination, line); !status.ok()) return status;
  const auto inserted = reader.table.values.emplace(std::make_pair(reader.origin, destination),
                                                    std::strtod(value.c_str(), nullptr));
  if (!inserted.second) {
    return tntpLineError(reader.path, line,
                         "pair " + std::to_string(reader.origin) + " to " +
                             std::to_string(destination) + " given twice");
  }
  return Status{};
}

Status readBlockLine(BlockReader& reader, const TntpLine& line) {
  if (line.fields[0] == "Origin") {
    if (line.fields.size() != 2 || !parseNodeField(line.fields[1], reader.origin)) {
      return tntpLineError(reader.path, line.lineNumber, "\"Origin N\" expected");
    }
    reader.haveOrigin = true;
    return noteZone(reader, reader.origin, line.lineNumber);
  }
  std::size_t start = 0;
  while (start < line.text.size()) {
    std::size_t end = line.text.find(';', start);
    if (end == std::string::npos) end = line.text.size();
    const std::string entry = trimmedText(line.text.substr(start, end - start));
    if (!entry.empty()) {
      if (Status status = readEntry(reader, entry, line.lineNumber); !status.ok()) return status;
    }
    start = end + 1;
  }
  return Status{};
}

}  // namespace

Status readOriginBlocks(const std::string& path, bool numberedZones, ReferenceTable& table) {
  table = ReferenceTable{};
  TntpText text;
  if (Status status = readTntpText(path, text); !status.ok()) return status;
  BlockReader reader{path, table, 0, {}, false, 0};
  if (numberedZones) {
    Status status = tntpMetadataNumber(text, "NUMBER OF ZONES", reader.numberedZones);
    if (!status.ok()) return status;
    for (long zone = 1; zone <= reader.numberedZones; ++zone) {
      table.zones.push_back(static_cast<NodeId>(zone));
    }
  }
  for (const TntpLine& line : text.lines) {
    if (Status status = readBlockLine(reader, line); !status.ok()) return status;
  }
  return Status{};
}

}  // namespace veldmark
