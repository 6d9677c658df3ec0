#include "driver/road_inputs.h"

#include <sys/stat.h>

#include <string>

#include "formats/reference_table.h"
#include "input/abstract_network.h"
#include "input/link_flow_file.h"
#include "network/road_network_file.h"
#include "veldmark/file_name.h"

namespace veldmark {
namespace {

constexpr std::size_t kZonesListed = 5;  // zones a warning names one by one

// The zone numbers of --zones (a range, or a file when one exists by that
// name), else of the prior; `source` names where they came from.
Status zoneNumbers(const Run& run, const ZoneTable& prior, std::vector<NodeId>& numbers,
                   std::string& source) {
  if (!run.options.zones) {
    if (!run.options.priorPath) return Status{"--zones is needed without --prior"};
    numbers = prior.zones;
    source = displayName(*run.options.priorPath);
    return Status{};
  }
  const std::string& zones = *run.options.zones;
  struct stat file {};
  if (::stat(zones.c_str(), &file) == 0) {
    source = displayName(zones);
    return readZoneFile(zones, numbers);
  }
  source = "--zones " + zones;
  return parseZoneRange(zones, numbers);
}

// The prior's cells in zone order; its zones must be zones.
Status placePrior(Run& run, const ZoneTable& table) {
  const std::string name = displayName(*run.options.priorPath);
  const int zones = run.zones.zoneCount();
  std::vector<int> zoneOf(table.zones.size(), -1);
  for (std::size_t i = 0; i < table.zones.size(); ++i) {
    const int node = findNode(run.road, table.zones[i]);
    if (node >= 0) zoneOf[i] = run.zones.nodeZone[node];
    if (zoneOf[i] < 0) {
      return Status{name + ": zone " + std::to_string(table.zones[i]) +
                    " is not a zone (see --zones)"};
    }
  }
  run.prior.assign(static_cast<std::size_t>(zones) * zones, 0.0);
  // The reader has checked every cell: finite and not negative.
  for (int i = 0; i < table.zoneCount(); ++i) {
    for (int j = 0; j < table.zoneCount(); ++j) {
      run.prior[static_cast<std::size_t>(zoneOf[i]) * zones + zoneOf[j]] = table.at(i, j);
    }
  }
  return Status{};
}

// A warning naming the zones whose row and column of the prior hold no trips.
void warnEmptyZones(Run& run) {
  const int zones = run.zones.zoneCount();
  std::vector<std::uint8_t> used(static_cast<std::size_t>(zones), 0);
  for (int i = 0; i < zones; ++i) {
    for (int j = 0; j < zones; ++j) {
      if (run.prior[static_cast<std::size_t>(i) * zones + j] > 0.0) used[i] = used[j] = 1;
    }
  }
  std::string listed;
  std::size_t count = 0;
  for (int i = 0; i < zones; ++i) {
    if (used[i] || ++count > kZonesListed) continue;
    listed += (count > 1 ? ", " : "") + std::to_string(run.zones.zoneNumbers[i]);
  }
  if (count == 0) return;
  run.inputWarnings.push_back(displayName(*run.options.priorPath) + ": " + std::to_string(count) +
                              " zone(s) without any prior trips (none will be estimated for "
                              "them): " +
                              listed + (count > kZonesListed ? ", ..." : ""));
}

Status readCounts(Run& run) {
  Status status = readAbstractNetwork(run.operand(2), run.abstract,
                                      NetworkLimits{kMaxRoadLinks, kMaxCountedNodes});
  if (status.ok()) status = readLinkFlowFile(run.operand(3), run.abstract, &run.flowStatistics);
  if (status.ok()) {
    status = matchCountedLinks(run.road, run.abstract, run.flowStatistics.linkNamed, run.counted);
  }
  return status;
}

}  // namespace

Status readRoadInputs(Run& run) {
  Status status = readRoadNetwork(run.operand(1), run.road);
  if (status.ok()) status = readCounts(run);
  ZoneTable prior;
  if (status.ok() && run.options.priorPath) {
    status = readReferenceTable(*run.options.priorPath, prior);
  }
  std::vector<NodeId> numbers;
  std::string source;
  if (status.ok()) status = zoneNumbers(run, prior, numbers, source);
  if (status.ok())
    status = makeZoneSet(run.road, numbers, run.options.throughZones, source, run.zones);
  if (!status.ok()) return status;
  // The written tables list the zones in zone order.
  run.base.path = run.operand(1);
  run.base.nodeList = run.zones.zoneNumbers;
  run.base.zoneFlags.assign(run.base.nodeList.size(), 1);
  if (!run.options.priorPath) {
    run.inputWarnings.push_back(
        "without --prior the estimate is weak: a flat table balanced to the counts; the counts "
        "alone cannot tell which zones a link's vehicles travel between");
    return Status{};
  }
  status = placePrior(run, prior);
  if (status.ok()) warnEmptyZones(run);
  return status;
}

}  // namespace veldmark
