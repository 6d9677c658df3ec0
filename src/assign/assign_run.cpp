// veldmark-assign: options, inputs, the assignment, outputs, the closing line.
#include "assign/assign_run.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>

#include "assign/assign_outputs.h"
#include "assign/assign_usage.h"
#include "driver/thread_count.h"
#include "formats/reference_table.h"
#include "network/road_network_file.h"
#include "output/file_replace.h"
#include "output/shortest_number.h"
#include "veldmark/file_name.h"

namespace veldmark {
namespace {

constexpr int kUnreachableShown = 5;  // pairs a warning names

// The inputs read and the assignment's own inputs made from them.
struct AssignInputs {
  RoadNetwork network;
  ZoneTable table;
  ZoneSet zones;
  std::vector<ZonePair> pairs;
  std::vector<double> demand;
};

bool sameFile(const std::string& first, const std::string& second) {
  struct stat a {};
  struct stat b {};
  return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 &&
         a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// An output may replace neither an input nor the other output.
Status checkOutputs(const AssignOptions& options) {
  std::vector<std::string> outputs{options.volumes};
  if (!options.summary.empty()) outputs.push_back(options.summary);
  for (const std::string& output : outputs) {
    for (const std::string& input : {options.base, options.trips}) {
      if (output == input || sameFile(output, input)) {
        return Status{displayName(output) + ": is an input; an output never replaces one"};
      }
    }
  }
  if (outputs.size() == 2 && (outputs[0] == outputs[1] || sameFile(outputs[0], outputs[1]))) {
    return Status{displayName(options.summary) + ": is VOLUMES too; name two files"};
  }
  return Status{};
}

// The zones: --zones A-B, --zones FILE, or the trip table's.
Status settleZones(const AssignOptions& options, AssignInputs& inputs) {
  std::vector<NodeId> numbers = inputs.table.zones;
  std::string source = displayName(options.trips);
  if (!options.zones.empty()) {
    struct stat file {};
    const bool isFile = ::stat(options.zones.c_str(), &file) == 0;
    Status status =
        isFile ? readZoneFile(options.zones, numbers) : parseZoneRange(options.zones, numbers);
    if (!status.ok()) return status;
    source = isFile ? displayName(options.zones) : "--zones " + options.zones;
  }
  return makeZoneSet(inputs.network, numbers, options.throughZones, source, inputs.zones);
}

// The table's off-diagonal cells with trips, as pairs of zones; its
// diagonal passed as pairs too (assignPairs counts them).
Status makePairs(const AssignOptions& options, AssignInputs& inputs, double& total) {
  const ZoneTable& table = inputs.table;
  const int n = table.zoneCount();
  std::vector<int> zoneOf(static_cast<std::size_t>(n), -1);
  for (int i = 0; i < n; ++i) {
    const int node = findNode(inputs.network, table.zones[i]);
    if (node >= 0) zoneOf[i] = inputs.zones.nodeZone[node];
  }
  total = 0.0;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const double trips = table.at(i, j);
      if (trips == 0.0) continue;
      const std::string pair =
          std::to_string(table.zones[i]) + " to " + std::to_string(table.zones[j]);
      if (trips < 0.0) return Status{displayName(options.trips) + ": negative trips from " + pair};
      const int unknown = zoneOf[i] < 0 ? i : zoneOf[j] < 0 ? j : -1;
      if (unknown >= 0) {
        return Status{displayName(options.trips) + ": zone " +
                      std::to_string(table.zones[unknown]) +
                      " has trips but is not a zone (see --zones)"};
      }
      total += trips;
      inputs.pairs.push_back(ZonePair{zoneOf[i], zoneOf[j]});
      inputs.demand.push_back(trips);
    }
  }
  return Status{};
}

Status readInputs(const AssignOptions& options, AssignInputs& inputs, double& total) {
  Status status = readRoadNetwork(options.base, inputs.network);
  if (status.ok()) status = readReferenceTable(options.trips, inputs.table);
  if (!status.ok()) return status;
  status = settleZones(options, inputs);
  if (status.ok()) status = makePairs(options, inputs, total);
  return status;
}

// The status line on a terminal: "iteration I, relative gap G, S s".
std::function<void(const IterationTrace&)> progressLine(std::ostream& errors, bool wanted) {
  if (!wanted) return nullptr;
  return [&errors](const IterationTrace& trace) {
    errors << "\r\033[Kiteration " << trace.iteration << ", relative gap ";
    writeShortestNumber(errors, trace.gap);
    errors << ", " << static_cast<long long>(trace.seconds) << " s" << std::flush;
  };
}

void warn(std::ostream& errors, const AssignOptions& options, const AssignInputs& inputs,
          const AssignmentResult& result) {
  if (result.stop == AssignmentStop::kIterationCap) {
    errors << "veldmark-assign: warning: stopped at the iteration limit (" << options.maxIterations
           << ") at relative gap " << shortestNumber(result.iterations.back().gap)
           << ", above --gap " << shortestNumber(options.gap) << "\n";
  }
  if (result.unreachablePairs.empty()) return;
  errors << "veldmark-assign: warning: " << result.unreachablePairs.size()
         << " pairs that no route joins, their " << shortestNumber(result.unreachableTrips)
         << " trips not assigned:";
  for (std::size_t k = 0; k < result.unreachablePairs.size() && k < kUnreachableShown; ++k) {
    const ZonePair pair = inputs.pairs[result.unreachablePairs[k]];
    errors << (k == 0 ? " " : ", ") << inputs.zones.zoneNumbers[pair.origin] << " to "
           << inputs.zones.zoneNumbers[pair.destination];
  }
  errors << (result.unreachablePairs.size() > kUnreachableShown ? ", ...\n" : "\n");
}

long long peakResidentBytes() {
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<long long>(usage.ru_maxrss) * 1024;
}

int fail(std::ostream& errors, const Status& status) {
  errors << "veldmark-assign: " << status.message << "\n";
  errors.flush();
  return 1;
}

}  // namespace

int runAssign(int argc, char** argv, std::ostream& console, std::ostream& errors) {
  const auto start = std::chrono::steady_clock::now();
  AssignOptions options;
  if (Status status = parseAssignOptions(argc, argv, options); !status.ok()) {
    return fail(errors, status);
  }
  if (options.help || options.version) {
    if (options.help) writeAssignUsage(console);
    if (!options.help) console << "veldmark-assign " << VELDMARK_VERSION << "\n";
    return 0;
  }
  if (Status status = checkOutputs(options); !status.ok()) return fail(errors, status);
  AssignInputs inputs;
  AssignRunFacts facts;
  if (Status status = readInputs(options, inputs, facts.tripsInTable); !status.ok()) {
    return fail(errors, status);
  }
  facts.threads = options.threads > 0 ? options.threads : affinityCpuCount();
  std::unique_ptr<ThreadTeam> team;
  if (facts.threads > 1) team = std::make_unique<ThreadTeam>(facts.threads, 1);
  AssignmentSettings settings;
  settings.gap = options.gap;
  settings.maxIterations = options.maxIterations;
  settings.tollFactor = options.tollFactor;
  settings.distanceFactor = options.distanceFactor;
  settings.team = team.get();
  const bool line = !options.noProgress && ::isatty(2) && !::isatty(1);
  settings.onIteration = progressLine(errors, line);
  const AssignmentResult result =
      assignPairs(inputs.network, inputs.zones, inputs.pairs, inputs.demand, settings);
  if (line) errors << "\r\033[K" << std::flush;
  warn(errors, options, inputs, result);
  Status status = replaceFileContents(options.volumes, formatLinkVolumes(inputs.network, result));
  facts.secondsTotal =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  facts.peakResidentBytes = peakResidentBytes();
  if (status.ok() && !options.summary.empty()) {
    status = replaceFileContents(
        options.summary, formatAssignSummary(options, inputs.network, inputs.zones, result, facts));
  }
  if (!status.ok()) return fail(errors, status);
  console << options.volumes << ": " << inputs.network.linkCount() << " links, relative gap "
          << shortestNumber(result.iterations.back().gap) << " after "
          << result.iterations.size() - 1
          << (result.iterations.size() == 2 ? " iteration\n" : " iterations\n");
  return 0;
}

}  // namespace veldmark
