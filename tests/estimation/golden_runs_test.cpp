// Whole runs on generated networks against the golden files of tests/data
// (how they were made: tests/data/README.md). The inputs are generated
// afresh; the estimation runs in-process on the fast and on the reference
// kernels, which must agree bit for bit and match the golden console and
// table bits; the built program's masked console and trip table file must
// match byte for byte. Set VELDMARK_WRITE_GOLDEN=1 to rewrite the golden
// files from the built program instead of comparing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <queue>
#include <sstream>
#include <string>
#include <vector>

#include "estimation/outer_iteration.h"
#include "estimation/starting_tables.h"
#include "estimation/workspace.h"
#include "input/link_file.h"
#include "input/link_flow_file.h"
#include "input/node_list.h"
#include "support/network_generator.h"
#include "support/test_support.h"

namespace veldmark {
namespace {

namespace fs = std::filesystem;
using testing::GeneratorOptions;

struct GoldenCase {
  const char* name;
  GeneratorOptions options;
};

GeneratorOptions options(int zones, double linksPerZone, unsigned seed) {
  GeneratorOptions o;
  o.zones = zones;
  o.linksPerZone = linksPerZone;
  o.seed = seed;
  return o;
}

// Keep in step with tests/data/README.md.
std::vector<GoldenCase> goldenCases() {
  GeneratorOptions checks = options(20, 2.0, 5);  // fails the inverse check twice
  GeneratorOptions parallel = options(20, 2.0, 1);
  parallel.parallelLinks = 2;
  parallel.selfLinks = 2;
  parallel.zeroFlowShare = 0.1;
  GeneratorOptions outside = options(24, 2.0, 2);
  outside.missingFlowShare = 0.1;
  outside.zeroFlowShare = 0.05;
  outside.zonesOutsideBase = 3;
  outside.extraBaseNodes = 4;
  outside.crlf = true;
  GeneratorOptions mixed = options(16, 2.5, 4);
  mixed.parallelLinks = 1;
  mixed.selfLinks = 1;
  mixed.zeroFlowShare = 0.1;
  mixed.zonesOutsideBase = 2;
  mixed.extraBaseNodes = 2;
  return {{"grid20-checks", checks},
          {"grid20-parallel-self", parallel},
          {"grid24-outside-crlf", outside},
          {"grid16-mixed", mixed}};
}

// The inputs of a case, written into `dir`.
void writeInputs(const GoldenCase& c, const testing::ScratchDir& dir) {
  const testing::GeneratedNetwork network = testing::generateNetwork(c.options);
  dir.write("base.txt", network.base);
  dir.write("abstract.txt", network.abstract);
  dir.write("flows.txt", network.flows);
}

struct InProcessRun {
  std::string console;  // from the estimation's start line to its end
  BaseNetwork base;
  AbstractNetwork abstract;
  std::vector<double> table;  // the final TripTable, row-major
};

// The input and estimation phases as the program runs them.
void estimateInProcess(const testing::ScratchDir& dir, bool reference, InProcessRun& run) {
  ASSERT_TRUE(readLinkFile(dir.file("base.txt"), run.base.links).ok());
  ASSERT_TRUE(buildNodeList("base.txt", run.base.links, run.base.nodeList).ok());
  std::vector<LinkLine> lines;
  ASSERT_TRUE(readLinkFile(dir.file("abstract.txt"), lines).ok());
  storeAbstractLinks("abstract.txt", lines, run.abstract);
  ASSERT_TRUE(buildNodeList("abstract.txt", lines, run.abstract.zoneList).ok());
  mapLinksToZones(run.abstract);
  run.base.zoneFlags = buildZoneFlags(run.base.nodeList, run.abstract.zoneList);
  const Status flows = readLinkFlowFile(dir.file("flows.txt"), run.abstract);
  ASSERT_TRUE(flows.ok()) << flows.message;

  EstimationWorkspace workspace;
  const int n = run.abstract.zoneCount();
  ASSERT_TRUE(allocateWorkspace(n, run.abstract.linkCount(), workspace).ok());
  workspace.Scratch.reference = reference;
  std::ostringstream console;
  buildStartingTables(workspace, run.abstract, console);
  runOuterIterations(workspace, run.abstract, console);
  run.console = console.str();
  run.table.assign(workspace.TripTable[0], workspace.TripTable[0] + n * n);
}

// Every nonzero entry as "origin destination %a", zones by index.
std::string tableBits(const std::vector<double>& table, int n) {
  std::string text;
  char line[96];
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      if (table[i * n + j] == 0.0) continue;
      std::snprintf(line, sizeof line, "%d %d %a\n", i, j, table[i * n + j]);
      text += line;
    }
  }
  return text;
}

// The console as kept: clock digits and the banner's lines 3 to 5 masked.
std::string maskConsole(const std::string& console) {
  std::string masked = testing::maskClock(console);
  std::size_t at = 0;
  for (int line = 1; line <= 5 && at != std::string::npos; ++line) {
    const std::size_t end = masked.find('\n', at);
    if (line >= 3 && end != std::string::npos) {
      masked.replace(at, end - at, "<banner line>");
      at += std::string("<banner line>").size() + 1;
    } else {
      at = end == std::string::npos ? end : end + 1;
    }
  }
  return masked;
}

std::string goldenPath(const GoldenCase& c, const char* file) {
  return std::string(VELDMARK_SOURCE_DIR) + "/tests/data/" + c.name + "/" + file;
}

const char* const kStartLine = "   Estimate the travel table in the abstract network\n";
const char* const kFinishLines = "   Clock\t\t# : Finishing\n   CPU time elapsed: # sec\n";

// The fast and the reference kernels agree bit for bit, and the estimation's
// part of the golden console and the golden table bits are theirs.
TEST(GoldenRuns, FastAndReferenceKernelsMatchTheGoldenFiles) {
  if (std::getenv("VELDMARK_WRITE_GOLDEN")) GTEST_SKIP() << "rewriting the golden files";
  for (const GoldenCase& c : goldenCases()) {
    SCOPED_TRACE(c.name);
    testing::ScratchDir dir;
    writeInputs(c, dir);
    InProcessRun fast, reference;
    estimateInProcess(dir, false, fast);
    estimateInProcess(dir, true, reference);
    if (HasFatalFailure()) return;
    const int n = fast.abstract.zoneCount();
    EXPECT_EQ(fast.console, reference.console);
    EXPECT_EQ(tableBits(fast.table, n), tableBits(reference.table, n));

    const std::string golden = testing::readFile(goldenPath(c, "console.txt"));
    const std::size_t start = golden.find(kStartLine);
    ASSERT_NE(start, std::string::npos) << "no golden console for " << c.name;
    EXPECT_EQ(golden.substr(start), fast.console + kFinishLines);
    EXPECT_EQ(testing::readFile(goldenPath(c, "table.txt")), tableBits(fast.table, n));
  }
}

// The built program: exit code 0, masked console and trip table file byte
// for byte (or, with VELDMARK_WRITE_GOLDEN set, the golden files rewritten).
TEST(GoldenRuns, ProgramOutputMatchesTheGoldenFiles) {
  if (!fs::exists(VELDMARK_BINARY)) GTEST_SKIP() << "not built: " << VELDMARK_BINARY;
  const bool rewrite = std::getenv("VELDMARK_WRITE_GOLDEN") != nullptr;
  for (const GoldenCase& c : goldenCases()) {
    SCOPED_TRACE(c.name);
    testing::ScratchDir dir;
    writeInputs(c, dir);
    const testing::RunResult result =
        testing::runVeldmark({"base.txt", "abstract.txt", "flows.txt", "trips.txt"}, dir.path());
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const std::string console = maskConsole(result.out);
    const std::string trips = testing::readFile(dir.file("trips.txt"));
    if (rewrite) {
      InProcessRun run;
      estimateInProcess(dir, false, run);
      fs::create_directories(fs::path(goldenPath(c, "")).parent_path());
      std::ofstream(goldenPath(c, "console.txt"), std::ios::binary) << console;
      std::ofstream(goldenPath(c, "trips.txt"), std::ios::binary) << trips;
      std::ofstream(goldenPath(c, "table.txt"), std::ios::binary)
          << tableBits(run.table, run.abstract.zoneCount());
      continue;
    }
    EXPECT_EQ(console, testing::readFile(goldenPath(c, "console.txt")));
    EXPECT_EQ(trips, testing::readFile(goldenPath(c, "trips.txt")));
  }
}

// Zones reachable from `origin` over the abstract links.
std::vector<bool> reachableFrom(const AbstractNetwork& network, int origin) {
  std::vector<bool> reached(network.zoneCount(), false);
  std::queue<int> queue;
  queue.push(origin);
  while (!queue.empty()) {
    const int zone = queue.front();
    queue.pop();
    for (const LinkZoneEnds& link : network.linkZones) {
      if (link.from == zone && !reached[link.to]) {
        reached[link.to] = true;
        queue.push(link.to);
      }
    }
  }
  return reached;
}

// What any estimate must satisfy, checked on the golden trip table files and
// the in-process tables: no negative flow; flow only on pairs some path
// joins (a diagonal pair only through a cycle or a self-link); one block per
// base node that is a zone; the file's total is the sum of |entries| over all
// zones, and its entries those of the table over the zones in the base
// network, each within print precision.
TEST(GoldenRuns, EstimatesAreNonNegativeOnJoinedPairsAndTheFileAddsUp) {
  for (const GoldenCase& c : goldenCases()) {
    SCOPED_TRACE(c.name);
    testing::ScratchDir dir;
    writeInputs(c, dir);
    InProcessRun run;
    estimateInProcess(dir, false, run);
    if (HasFatalFailure()) return;
    const int n = run.abstract.zoneCount();
    double total = 0.0, inBase = 0.0;
    std::vector<bool> zoneInBase(n, false);
    for (int z = 0; z < n; ++z) {
      const std::vector<NodeId>& nodes = run.base.nodeList;
      zoneInBase[z] =
          std::find(nodes.begin(), nodes.end(), run.abstract.zoneList[z]) != nodes.end();
    }
    for (int i = 0; i < n; ++i) {
      const std::vector<bool> reached = reachableFrom(run.abstract, i);
      for (int j = 0; j < n; ++j) {
        const double flow = run.table[i * n + j];
        EXPECT_GE(flow, 0.0) << "pair " << i << "," << j;
        EXPECT_TRUE(flow == 0.0 || reached[j]) << "flow on pair " << i << "," << j << ", no path";
        total += std::fabs(flow);
        if (zoneInBase[i] && zoneInBase[j]) inBase += std::fabs(flow);
      }
    }

    // "<TOTAL OD FLOW> total", then entries "node :   value;" after the header.
    const std::string trips = testing::readFile(goldenPath(c, "trips.txt"));
    const std::string totalLabel = "<TOTAL OD FLOW> ";
    const std::size_t totalAt = trips.find(totalLabel);
    ASSERT_NE(totalAt, std::string::npos);
    EXPECT_NEAR(std::strtod(trips.c_str() + totalAt + totalLabel.size(), nullptr), total,
                total * 1e-5);
    double entries = 0.0;
    int count = 0;
    for (std::size_t at = trips.find(':'); at != std::string::npos; at = trips.find(':', at + 1)) {
      entries += std::strtod(trips.c_str() + at + 1, nullptr);
      ++count;
    }
    int zonesInBase = 0;
    for (int z = 0; z < n; ++z) zonesInBase += zoneInBase[z];
    EXPECT_EQ(count, zonesInBase * zonesInBase);
    EXPECT_NEAR(entries, inBase, 0.05 * count + 1e-9);
  }
}

}  // namespace
}  // namespace veldmark
