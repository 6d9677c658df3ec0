// Whole runs on generated networks against the golden files of tests/data
// (tests/data/README.md says how they were made). The estimation runs
// in-process on the fast and on the reference kernels, which must agree bit
// for bit with each other and with the kept console and table bits; the
// built program's masked console and trip table file must match byte for
// byte. VELDMARK_WRITE_GOLDEN=1 rewrites the files from the program instead.
// With --fit and --summary the program prints and writes the same, and the
// summary follows the schema documented in docs/GUIDE.md.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "estimation/linearised/limits.h"
#include "estimation/linearised/outer_iteration.h"
#include "estimation/linearised/starting_tables.h"
#include "estimation/linearised/team_runs.h"
#include "estimation/linearised/workspace.h"
#include "input/abstract_network.h"
#include "input/link_file.h"
#include "input/link_flow_file.h"
#include "input/node_list.h"
#include "support/test_support.h"
#include "tools/network_generator.h"

namespace veldmark {
namespace {

// Keep in step with tests/data/README.md. Options: zones, linksPerZone, seed,
// parallelLinks, selfLinks, zeroFlowShare, missingFlowShare, zonesOutsideBase,
// extraBaseNodes, crlf.
const struct {
  const char* name;
  testing::GeneratorOptions options;
} kCases[] = {
    {"grid20-checks", {20, 2.0, 5, 0, 0, 0.0, 0.0, 0, 0, false}},
    {"grid24-outside-crlf", {24, 2.0, 2, 0, 0, 0.05, 0.1, 3, 4, true}},
    {"grid16-mixed", {16, 2.5, 4, 1, 1, 0.1, 0.0, 2, 2, false}},
};

std::string golden(const char* name, const char* file) {
  return std::string(VELDMARK_SOURCE_DIR "/tests/data/") + name + "/" + file;
}

void writeInputs(const testing::GeneratorOptions& options, const testing::ScratchDir& dir) {
  const testing::GeneratedNetwork network = testing::generateNetwork(options);
  dir.write("base.txt", network.base);
  dir.write("abstract.txt", network.abstract);
  dir.write("flows.txt", network.flows);
}

struct InProcessRun {
  std::string console;  // from the estimation's start line to its end
  std::vector<NodeId> baseNodes;
  AbstractNetwork abstract;
  std::vector<double> table;  // the final TripTable, row-major
};

// The input and estimation phases as the program runs them.
void estimateInProcess(const testing::ScratchDir& dir, bool reference, InProcessRun& run) {
  std::vector<LinkLine> base;
  ASSERT_TRUE(readLinkFile(dir.file("base.txt"), base, kMaxLinks).ok());
  ASSERT_TRUE(buildNodeList("base.txt", base, run.baseNodes, kMaxNodes).ok());
  ASSERT_TRUE(
      readAbstractNetwork(dir.file("abstract.txt"), run.abstract, kLinearisedNetworkLimits).ok());
  ASSERT_TRUE(readLinkFlowFile(dir.file("flows.txt"), run.abstract).ok());
  EstimationWorkspace w;
  const int n = run.abstract.zoneCount();
  ASSERT_TRUE(allocateWorkspace(n, run.abstract.linkCount(), w).ok());
  w.settings.referenceKernels = reference;
  std::ostringstream console;
  buildStartingTables(w, run.abstract, console);
  runOuterIterations(w, run.abstract, console);
  run.console = console.str();
  run.table.assign(w.TripTable[0], w.TripTable[0] + n * n);
}

// Every nonzero entry as "origin destination %a", zones by index.
std::string tableBits(const std::vector<double>& table, int n) {
  std::string text;
  char line[96];
  for (int i = 0; i < n * n; ++i) {
    if (table[i] == 0.0) continue;
    std::snprintf(line, sizeof line, "%d %d %a\n", i / n, i % n, table[i]);
    text += line;
  }
  return text;
}

// What any estimate must satisfy: no negative flow; flow only on pairs that
// a path of abstract links joins; one entry per pair of zones in the base
// network in the trip table file, adding up to the table's sum over those
// pairs; the file's total the sum of |entries| over all zones.
void expectSoundEstimate(const InProcessRun& run, const std::string& trips) {
  const int n = run.abstract.zoneCount();
  std::vector<char> joined(n * n, 0), inBase(n);
  for (const LinkZoneEnds& link : run.abstract.linkZones) joined[link.from * n + link.to] = 1;
  for (int k = 0; k < n; ++k) {
    for (int i = 0; i < n * n; ++i) joined[i] |= joined[i / n * n + k] && joined[k * n + i % n];
    const auto& nodes = run.baseNodes;
    inBase[k] = std::find(nodes.begin(), nodes.end(), run.abstract.zoneList[k]) != nodes.end();
  }
  double total = 0.0, baseTotal = 0.0;
  for (int i = 0; i < n * n; ++i) {
    EXPECT_GE(run.table[i], 0.0) << "pair " << i;
    EXPECT_TRUE(run.table[i] == 0.0 || joined[i]) << "flow on pair " << i << ", no path";
    total += std::fabs(run.table[i]);
    if (inBase[i / n] && inBase[i % n]) baseTotal += std::fabs(run.table[i]);
  }
  const std::size_t totalAt = trips.find("<TOTAL OD FLOW> ");
  ASSERT_NE(totalAt, std::string::npos);
  EXPECT_NEAR(std::strtod(trips.c_str() + totalAt + 16, nullptr), total, total * 1e-5);
  double entries = 0.0;
  int count = 0;
  for (std::size_t at = trips.find(':'); at != std::string::npos; at = trips.find(':', at + 1)) {
    entries += std::strtod(trips.c_str() + at + 1, nullptr);
    ++count;
  }
  const auto zonesInBase = std::count(inBase.begin(), inBase.end(), 1);
  EXPECT_EQ(count, zonesInBase * zonesInBase);
  EXPECT_NEAR(entries, baseTotal, 0.05 * count + 1e-9);
}

TEST(GoldenRuns, FastAndReferenceKernelsMatchTheGoldenFilesAndTheEstimatesAreSound) {
  if (std::getenv("VELDMARK_WRITE_GOLDEN")) GTEST_SKIP() << "rewriting the golden files";
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    testing::ScratchDir dir;
    writeInputs(c.options, dir);
    InProcessRun fast, reference;
    estimateInProcess(dir, false, fast);
    estimateInProcess(dir, true, reference);
    if (HasFatalFailure()) return;
    const int n = fast.abstract.zoneCount();
    EXPECT_EQ(fast.console, reference.console);
    EXPECT_EQ(tableBits(fast.table, n), tableBits(reference.table, n));
    const std::string console = testing::readFile(golden(c.name, "console.txt"));
    const std::size_t start = console.find("   Estimate the travel table in the abstract network");
    ASSERT_NE(start, std::string::npos) << "no golden console";
    EXPECT_EQ(console.substr(start),
              fast.console + "   Clock\t\t# : Finishing\n   CPU time elapsed: # sec\n");
    EXPECT_EQ(testing::readFile(golden(c.name, "table.txt")), tableBits(fast.table, n));
    expectSoundEstimate(fast, testing::readFile(golden(c.name, "trips.txt")));
  }
}

// The console as kept: clock digits masked, banner lines 3 to 5 replaced.
std::string maskConsole(const std::string& console) {
  const std::string masked = testing::maskClock(console);
  std::size_t at = 0;
  std::string kept;
  for (int line = 1; line <= 5 && at < masked.size(); ++line) {
    const std::size_t end = masked.find('\n', at) + 1;
    kept += line < 3 ? masked.substr(at, end - at) : "<banner line>\n";
    at = end;
  }
  return kept + masked.substr(at);
}

TEST(GoldenRuns, ProgramOutputMatchesTheGoldenFiles) {
  ASSERT_TRUE(std::filesystem::exists(VELDMARK_BINARY)) << "not built: " VELDMARK_BINARY;
  const bool rewrite = std::getenv("VELDMARK_WRITE_GOLDEN") != nullptr;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    testing::ScratchDir dir;
    writeInputs(c.options, dir);
    const testing::RunResult result =
        testing::runVeldmark({"base.txt", "abstract.txt", "flows.txt", "trips.txt"}, dir.path());
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(testing::withoutWarnings(result.err), "");
    const std::string console = maskConsole(result.out);
    const std::string trips = testing::readFile(dir.file("trips.txt"));
    if (rewrite) {
      InProcessRun run;
      estimateInProcess(dir, false, run);
      std::filesystem::create_directories(golden(c.name, ""));
      std::ofstream(golden(c.name, "console.txt"), std::ios::binary) << console;
      std::ofstream(golden(c.name, "trips.txt"), std::ios::binary) << trips;
      std::ofstream(golden(c.name, "table.txt"), std::ios::binary)
          << tableBits(run.table, run.abstract.zoneCount());
    } else {
      EXPECT_EQ(console, testing::readFile(golden(c.name, "console.txt")));
      EXPECT_EQ(trips, testing::readFile(golden(c.name, "trips.txt")));
    }
  }
}

using Json = nlohmann::ordered_json;

// The example summary of docs/GUIDE.md: the documented schema.
Json documentedSummary() {
  const std::string guide = testing::readFile(VELDMARK_SOURCE_DIR "/docs/GUIDE.md");
  const std::size_t start = guide.find("```json\n");
  const std::size_t end = guide.find("\n```", start + 1);
  if (start == std::string::npos || end == std::string::npos) return Json();
  return Json::parse(guide.substr(start + 8, end - start - 8));
}

// `value` has the shape of `schema`: objects with the same keys in the same
// order, arrays whose elements have the shape of the schema's first (any
// array where the example's is empty, as the warnings of a clean run), the
// same kind of scalar (a number that is not an integer may be null).
void expectShape(const Json& value, const Json& schema, const std::string& path) {
  if (schema.is_object()) {
    ASSERT_TRUE(value.is_object()) << path;
    std::vector<std::string> keys, documented;
    for (const auto& item : value.items()) keys.push_back(item.key());
    for (const auto& item : schema.items()) documented.push_back(item.key());
    ASSERT_EQ(keys, documented) << path;
    for (const auto& item : schema.items()) {
      expectShape(value[item.key()], item.value(), path + "." + item.key());
    }
  } else if (schema.is_array()) {
    ASSERT_TRUE(value.is_array()) << path;
    if (schema.empty()) return;
    for (const Json& element : value) expectShape(element, schema[0], path + "[]");
  } else if (schema.is_number_float()) {
    EXPECT_TRUE(value.is_number_float() || value.is_null()) << path;
  } else if (schema.is_number_integer()) {
    EXPECT_TRUE(value.is_number_integer()) << path;
  } else {
    EXPECT_EQ(value.type_name(), std::string(schema.type_name())) << path;
  }
}

std::string streamed(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

// The fit file: its header, one row per link, every count reproduced to a
// relative 1e-6, the floored counts (0.01) those the summary counts.
void expectFit(const std::string& fit, const Json& inputs) {
  std::istringstream rows(fit);
  std::string row;
  std::getline(rows, row);
  EXPECT_EQ(row, "from,to,observed,estimated,difference,geh");
  int links = 0, floored = 0;
  for (double observed, estimated; std::getline(rows, row); ++links) {
    ASSERT_EQ(std::sscanf(row.c_str(), "%*d,%*d,%lf,%lf", &observed, &estimated), 2) << row;
    EXPECT_LE(std::fabs(estimated - observed), observed * 1e-6) << row;
    floored += observed == kFlowFloor;
  }
  EXPECT_EQ(links, inputs["links"]);
  EXPECT_EQ(floored,
            inputs["links_without_count"].get<int>() + inputs["zero_flows_floored"].get<int>());
}

// Every iteration's average as the console prints it, the convergence, the
// table's total as the trip table file has it, the warnings as printed.
void expectSummaryOfTheRun(const Json& summary, const testing::RunResult& run,
                           const std::string& trips) {
  std::string averages;
  for (const Json& iteration : summary["iterations"]) {
    averages += "   Average O-D flow difference: " + streamed(iteration["average"]) + "\n";
  }
  std::string printed;
  for (std::size_t at = run.out.find("   Average O-D"); at != std::string::npos;
       at = run.out.find("   Average O-D", at + 1)) {
    printed += run.out.substr(at, run.out.find('\n', at) + 1 - at);
  }
  EXPECT_EQ(averages, printed);
  const Json& end = summary["end"];
  EXPECT_EQ(end["iterations"], summary["iterations"].size());
  // Converged: below the tolerance with the last linear programme solved;
  // otherwise the reason is given.
  const Json& last = summary["iterations"].back();
  EXPECT_EQ(end["converged"], last["average"] < kConvergenceTolerance &&
                                  last["pivot_loop_end"] == "no improving column");
  EXPECT_EQ(end["stopped_because"] == "", end["converged"].get<bool>());
  const std::string total = "<TOTAL OD FLOW> " + streamed(end["table_total"]) + "\n";
  EXPECT_NE(trips.find(total), std::string::npos) << total;
  EXPECT_EQ(end["fit"]["links_off_count"], 0);
  std::string warnings;
  for (const Json& warning : summary["warnings"]) {
    warnings += "veldmark: warning: " + warning.get<std::string>() + "\n";
  }
  EXPECT_EQ(warnings, run.err);
}

TEST(GoldenRuns, FitAndSummaryAgreeWithTheConsoleTheTableAndTheSchema) {
  const Json schema = documentedSummary();
  ASSERT_TRUE(schema.is_object()) << "no example summary in docs/GUIDE.md";
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    testing::ScratchDir dir;
    writeInputs(c.options, dir);
    const testing::RunResult run =
        testing::runVeldmark({"--fit", "fit.csv", "--summary=summary.json", "base.txt",
                              "abstract.txt", "flows.txt", "trips.txt"},
                             dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(maskConsole(run.out), testing::readFile(golden(c.name, "console.txt")));
    const std::string trips = testing::readFile(dir.file("trips.txt"));
    EXPECT_EQ(trips, testing::readFile(golden(c.name, "trips.txt")));
    const Json summary = Json::parse(testing::readFile(dir.file("summary.json")));
    expectShape(summary, schema, "");
    if (HasFatalFailure()) return;
    expectSummaryOfTheRun(summary, run, trips);
    expectFit(testing::readFile(dir.file("fit.csv")), summary["inputs"]);
  }
}

// The golden networks and a family of generated ones, from 3 zones (fewer
// rows than threads) to 30, give the same bytes on teams of 1, 2, 3 and 8
// threads with every step shared out.
TEST(GoldenRuns, SameBytesOnEveryTeam) {
  std::vector<testing::GeneratorOptions> networks;
  for (const auto& c : kCases) networks.push_back(c.options);
  networks.push_back({3, 2.0, 1, 0, 1, 0.0, 0.0, 0, 0, false});
  networks.push_back({9, 3.0, 7, 2, 0, 0.2, 0.0, 0, 0, false});
  networks.push_back({30, 2.5, 3, 1, 1, 0.0, 0.1, 1, 1, false});
  for (const testing::GeneratorOptions& options : networks) {
    SCOPED_TRACE(::testing::Message() << options.zones << " zones, seed " << options.seed);
    testing::ScratchDir dir;
    writeInputs(options, dir);
    InProcessRun run;
    estimateInProcess(dir, false, run);
    if (HasFatalFailure()) return;
    testing::expectSameBytesOnEveryTeam(run.abstract);
  }
}

// The program itself on a network large enough to share its steps by
// default: the same console and trip table file for --threads 1, 2 and 8
// and with VELDMARK_THREADS=3 instead of the option.
TEST(GoldenRuns, ProgramGivesTheSameBytesOnAnyThreadCount) {
  if (!std::filesystem::exists(VELDMARK_BINARY)) GTEST_SKIP() << "not built: " VELDMARK_BINARY;
  testing::ScratchDir dir;
  writeInputs({66, 2.0, 9, 0, 0, 0.0, 0.0, 0, 0, false}, dir);
  std::string firstConsole, firstTrips, firstErr;
  for (const char* threads : {"1", "2", "8", "env"}) {
    SCOPED_TRACE(threads);
    std::vector<std::string> args = {"base.txt", "abstract.txt", "flows.txt", "trips.txt"};
    if (std::string(threads) != "env")
      args.insert(args.begin(), std::string("--threads=") + threads);
    if (std::string(threads) == "env") setenv("VELDMARK_THREADS", "3", 1);
    const testing::RunResult result = testing::runVeldmark(args, dir.path());
    unsetenv("VELDMARK_THREADS");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string console = testing::maskClock(result.out);
    const std::string trips = testing::readFile(dir.file("trips.txt"));
    if (firstConsole.empty()) {
      firstConsole = console;
      firstTrips = trips;
      firstErr = result.err;
    }
    EXPECT_EQ(console, firstConsole);
    EXPECT_EQ(trips, firstTrips);
    EXPECT_EQ(result.err, firstErr);
  }
  EXPECT_NE(firstConsole.find(" : Finishing"), std::string::npos);
}

}  // namespace
}  // namespace veldmark
