// Entries collected, then placed in an N x N table in one pass.
#include "formats/table_builder.h"

#include <cmath>

namespace veldmark {
namespace {

// Marks a cell that no entry has filled yet; no entry holds it, because
// every value added is finite and non-negative.
constexpr double kNotGiven = -1.0;

Status entryError(const TableBuilder& builder, int line, const std::string& what) {
  return Status{builder.path + ":" + std::to_string(line) + ": " + what};
}

}  // namespace

void numberZones(TableBuilder& builder, NodeId n) {
  builder.numbered = true;
  builder.zones.resize(static_cast<std::size_t>(n));
  for (NodeId zone = 1; zone <= n; ++zone) builder.zones[zone - 1] = zone;
}

Status addZone(TableBuilder& builder, NodeId zone, int line, std::int32_t& position) {
  if (builder.numbered) {
    const std::size_t n = builder.zones.size();
    if (zone < 1 || static_cast<std::size_t>(zone) > n) {
      return entryError(builder, line,
                        "zone " + std::to_string(zone) + " outside 1.." + std::to_string(n));
    }
    position = zone - 1;
    return Status{};
  }
  const auto [entry, inserted] =
      builder.index.emplace(zone, static_cast<std::int32_t>(builder.zones.size()));
  if (inserted) builder.zones.push_back(zone);
  position = entry->second;
  return Status{};
}

Status addEntry(TableBuilder& builder, NodeId origin, NodeId destination, double value, int line) {
  if (!std::isfinite(value)) return entryError(builder, line, "value is not a finite number");
  if (value < 0.0) return entryError(builder, line, "value is negative");
  TableEntry entry{0, 0, line, value};
  // Pairs come origin after origin: the last origin is most often the next.
  if (builder.entries.empty() || builder.zones[builder.entries.back().origin] != origin) {
    if (Status status = addZone(builder, origin, line, entry.origin); !status.ok()) return status;
  } else {
    entry.origin = builder.entries.back().origin;
  }
  if (Status status = addZone(builder, destination, line, entry.destination); !status.ok()) {
    return status;
  }
  builder.entries.push_back(entry);
  return Status{};
}

Status buildTable(TableBuilder& builder, ZoneTable& table) {
  table = ZoneTable{};
  const std::size_t n = builder.zones.size();
  table.values.assign(checkedCellCount(n), kNotGiven);
  for (const TableEntry& entry : builder.entries) {
    double& cell = table.values[static_cast<std::size_t>(entry.origin) * n +
                                static_cast<std::size_t>(entry.destination)];
    if (cell != kNotGiven) {
      const std::string pair = std::to_string(builder.zones[entry.origin]) + " to " +
                               std::to_string(builder.zones[entry.destination]);
      return entryError(builder, entry.line, "pair " + pair + " given twice");
    }
    cell = entry.value;
  }
  for (double& cell : table.values) {
    if (cell == kNotGiven) cell = 0.0;
  }
  table.zones = std::move(builder.zones);
  builder.entries = std::vector<TableEntry>{};
  builder.index.clear();
  return Status{};
}

}  // namespace veldmark
