// Small networks that drive the estimation down its awkward paths: a failed
// inverse check, a negative cycle under the dual prices, a pair that no path
// joins passing the pricing test, an unbounded ratio test, a basis that turns
// singular, the pass cap. Each was found by the search at the end of this file (run it
// with VELDMARK_FAULT_SEARCH=<seconds>). The probe (reliability/fault_probe.h)
// confirms that a network still takes its path; the binary must then run it
// to the end, in bounded time, with exit code 0 and a trip table written. The
// sanitizer build runs the same tests, so the paths are also free of UB.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "estimation/outer_iteration.h"
#include "estimation/starting_tables.h"
#include "estimation/team_runs.h"
#include "estimation/workspace.h"
#include "input/link_file.h"
#include "input/link_flow_file.h"
#include "input/node_list.h"
#include "reliability/bounded_run.h"
#include "reliability/fault_probe.h"
#include "support/test_support.h"

namespace veldmark::testing {
namespace {

// A network given by its abstract link lines ("from to", one per line) and
// its flow lines; the base network has the same links.
struct TinyNetwork {
  std::string links;
  std::string flows;
};

bool readNetwork(const ScratchDir& dir, const TinyNetwork& tiny, AbstractNetwork& network) {
  const std::string abstractPath = dir.write("abstract.txt", linkFile(tiny.links));
  const std::string flowPath = dir.write("flows.txt", flowFile(tiny.flows));
  std::vector<LinkLine> lines;
  if (!readLinkFile(abstractPath, lines).ok()) return false;
  storeAbstractLinks(abstractPath, lines, network);
  if (!buildNodeList(abstractPath, lines, network.zoneList).ok()) return false;
  mapLinksToZones(network);
  return readLinkFlowFile(flowPath, network).ok();
}

struct Probed {
  FaultPaths seen;
  std::string probeConsole;    // the probe's console
  std::string productConsole;  // runOuterIterations' console on the same network
};

Probed probeNetwork(const AbstractNetwork& read) {
  Probed probed;
  for (int run = 0; run < 2; ++run) {
    AbstractNetwork network = read;
    EstimationWorkspace workspace;
    if (!allocateWorkspace(network.zoneCount(), network.linkCount(), workspace).ok()) return probed;
    std::ostringstream console;
    buildStartingTables(workspace, network, console);
    if (run == 0) {
      probed.seen = probeEstimation(workspace, network, console);
      probed.probeConsole = console.str();
    } else {
      runOuterIterations(workspace, network, console);
      probed.productConsole = console.str();
    }
  }
  return probed;
}

// --- The networks -----------------------------------------------------------

struct FaultNetwork {
  const char* path;        // the awkward path it takes
  int FaultPaths::*taken;  // the probe's count of that path
  TinyNetwork network;
};

const std::vector<FaultNetwork>& faultNetworks() {
  static const std::vector<FaultNetwork> networks = {
      // The first pass prices each link at minus the log of its flow: the
      // ring 4->1->3->4 costs -ln 1e6, a negative cycle reachable from zone 0.
      {"negative cycle under the dual prices",
       &FaultPaths::negativeCycles,
       {"4 1\n1 3\n3 4\n", "4 1   1 0\n1 3   1 0\n3 4   1e+06 0\n"}},
      // Two-link paths around the ring enter; a basis of them has determinant
      // 2 and an inverse of entries +-1/2, which the integer check truncates
      // to 0: it prints a 3 x 3 matrix of zeros.
      {"failed inverse check",
       &FaultPaths::inverseCheckFailures,
       {"4 1\n1 3\n3 4\n", "4 1   1 0\n1 3   1e+06 0\n3 4   1e+06 0\n"}},
      // Two zones with only self-links: pair (0, 0) duplicates its basic
      // column, so the unjoined pair (0, 1) passes the test and is traced.
      {"pair no path joins passes pricing",
       &FaultPaths::unreachablePairsPriced,
       {"3 3\n1 1\n", "3 3   1 0\n1 1   1 0\n"}},
      // A pivot brings in a path that the remaining basic columns already
      // span: the determinant is exactly 0 and the pivot loop ends there.
      {"basis turns singular",
       &FaultPaths::singularBases,
       {"1 3\n5 1\n6 2\n3 6\n", "1 3   1 0\n5 1   1 0\n6 2   1 0\n3 6   1 0\n"}},
      // With two parallel links 4->3 the pivots of the first iteration never
      // settle: its loop ends at the 500-pass cap.
      {"pivot loop stopped by the pass cap",
       &FaultPaths::passCaps,
       {"4 3\n4 3\n3 1\n3 2\n", "4 3   1 0   1 0\n3 1   1 0\n3 2   1000 0\n"}},
  };
  return networks;
}

// A warning for each stop of the pivot loop other than the solved one (with
// the number of iterations) and for failed inverse checks, none otherwise.
void expectWarningsOfThePaths(const std::string& errors, const FaultPaths& seen) {
  const auto expectStop = [&](const std::string& how, int loops) {
    const std::string text =
        "stopped " + how + (loops > 0 ? " in " + std::to_string(loops) + " of" : "");
    EXPECT_EQ(errors.find(text) != std::string::npos, loops > 0) << text << ": " << errors;
  };
  expectStop("at the 500-pass cap", seen.passCaps);
  expectStop("at a singular basis", seen.singularBases);
  expectStop("without a leaving position", seen.missingLeavingPositions);
  EXPECT_EQ(errors.find("the inverse check failed") != std::string::npos,
            seen.inverseCheckFailures > 0);
  EXPECT_EQ(errors.find("off their counts"), std::string::npos);
}

// Each network still takes its path, in the probe that mirrors the product
// (same console text), and the binary runs it to the end: exit code 0, no
// message, the finishing lines and a trip table, within a minute. Its
// warnings name exactly the paths the probe saw that a planner must know
// of, with the probe's count of iterations.
TEST(FaultNetworks, EachTakesItsPathAndRunsToTheEnd) {
  for (const FaultNetwork& fault : faultNetworks()) {
    SCOPED_TRACE(fault.path);
    ScratchDir dir;
    AbstractNetwork network;
    ASSERT_TRUE(readNetwork(dir, fault.network, network));
    const Probed probed = probeNetwork(network);
    EXPECT_GT(probed.seen.*fault.taken, 0);
    EXPECT_EQ(probed.probeConsole, probed.productConsole);

    dir.write("base.txt", linkFile(fault.network.links));
    const BoundedRun run =
        runBounded({"base.txt", "abstract.txt", "flows.txt", "trips.txt"}, dir.path(), 60);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(withoutWarnings(run.err), "");
    expectWarningsOfThePaths(run.err, probed.seen);
    EXPECT_NE(run.out.find(probed.productConsole), std::string::npos);
    EXPECT_NE(run.out.find(" : Finishing\n   CPU time elapsed: "), std::string::npos);
    EXPECT_EQ(readFile(dir.file("trips.txt")).rfind("<NUMBER OF ZONES> ", 0), 0u);
  }
}

// Each network's awkward path gives the same bytes on teams of 1, 2, 3 and 8
// threads with every step shared out.
TEST(FaultNetworks, SameBytesOnEveryTeam) {
  for (const FaultNetwork& fault : faultNetworks()) {
    SCOPED_TRACE(fault.path);
    ScratchDir dir;
    AbstractNetwork network;
    ASSERT_TRUE(readNetwork(dir, fault.network, network));
    expectSameBytesOnEveryTeam(network);
  }
}

// The visible traces of two of the paths in the product's console: the
// check matrix of the failed inverse check (3 x 3, all zeros, each value
// followed by a blank, then an empty line) right after a dot, and a line of
// exactly 500 dots.
TEST(FaultNetworks, ConsoleShowsTheCheckMatrixAndThePassCap) {
  const auto consoleOf = [](const TinyNetwork& tiny) {
    ScratchDir dir;
    AbstractNetwork network;
    return readNetwork(dir, tiny, network) ? probeNetwork(network).productConsole : std::string();
  };
  const auto network = [](const std::string& path) {
    for (const FaultNetwork& fault : faultNetworks()) {
      if (path == fault.path) return fault.network;
    }
    return TinyNetwork{};
  };
  const std::string check = consoleOf(network("failed inverse check"));
  EXPECT_NE(check.find(".0 0 0 \n0 0 0 \n0 0 0 \n\n"), std::string::npos) << check;
  const std::string cap = consoleOf(network("pivot loop stopped by the pass cap"));
  EXPECT_NE(cap.find("space " + std::string(500, '.') + "\n"), std::string::npos);
  EXPECT_EQ(cap.find(std::string(501, '.')), std::string::npos);
}

// --- The search ---------------------------------------------------------------

// A network as the search handles it: link endpoints and one flow per link.
struct Candidate {
  std::vector<std::pair<int, int>> ends;
  std::vector<std::string> flows;

  // The abstract link lines, and one flow line per distinct ordered pair
  // listing the flows of all its links in link order.
  TinyNetwork text() const {
    TinyNetwork tiny;
    std::vector<char> written(ends.size(), 0);
    for (std::size_t v = 0; v < ends.size(); ++v) {
      tiny.links += std::to_string(ends[v].first) + " " + std::to_string(ends[v].second) + "\n";
      if (written[v]) continue;
      std::string line = std::to_string(ends[v].first) + " " + std::to_string(ends[v].second);
      for (std::size_t w = v; w < ends.size(); ++w) {
        if (ends[w] != ends[v]) continue;
        written[w] = 1;
        line += "   " + flows[w] + " 0";
      }
      tiny.flows += line + "\n";
    }
    return tiny;
  }
};

// A random network of 2 to 6 zones and 2 to 12 links, self-links and
// parallel links included, with flows spread over many magnitudes.
Candidate randomCandidate(std::mt19937& random) {
  static const char* const kFlows[] = {"0",  "0.001", "0.3",   "1",     "2",    "7",
                                       "50", "1000",  "1e+06", "1e+09", "1e+12"};
  const int zones = 2 + static_cast<int>(random() % 5);
  const int links = 2 + static_cast<int>(random() % 11);
  Candidate candidate;
  for (int v = 0; v < links; ++v) {
    candidate.ends.push_back(
        {1 + static_cast<int>(random() % zones), 1 + static_cast<int>(random() % zones)});
    candidate.flows.push_back(kFlows[random() % std::size(kFlows)]);
  }
  return candidate;
}

constexpr int kPaths = 8;
const char* const kPathNames[kPaths] = {
    "inverse check fails",  "negative cycle",      "unjoined pair priced", "unjoined pair enters",
    "unbounded ratio test", "no leaving position", "singular basis",       "pass cap"};

// How often each path was taken; all zero when the network does not read.
std::vector<int> pathCounts(const ScratchDir& dir, const Candidate& candidate) {
  AbstractNetwork network;
  if (!readNetwork(dir, candidate.text(), network)) return std::vector<int>(kPaths, 0);
  const FaultPaths seen = probeNetwork(network).seen;
  return {seen.inverseCheckFailures,   seen.negativeCycles,
          seen.unreachablePairsPriced, seen.unreachablePairsEntered,
          seen.unboundedRatioTests,    seen.missingLeavingPositions,
          seen.singularBases,          seen.passCaps};
}

// Drops links and plainens flows (to 1) while the network still takes `path`.
Candidate minimise(const ScratchDir& dir, Candidate candidate, int path) {
  for (bool changed = true; changed;) {
    changed = false;
    for (std::size_t v = 0; v < candidate.ends.size(); ++v) {
      Candidate smaller = candidate;
      smaller.ends.erase(smaller.ends.begin() + static_cast<long>(v));
      smaller.flows.erase(smaller.flows.begin() + static_cast<long>(v));
      if (!smaller.ends.empty() && pathCounts(dir, smaller)[path] > 0) {
        candidate = smaller;
        changed = true;
        --v;
      }
    }
    for (std::string& flow : candidate.flows) {
      if (flow == "1") continue;
      const std::string kept = flow;
      flow = "1";
      if (pathCounts(dir, candidate)[path] > 0) {
        changed = true;
      } else {
        flow = kept;
      }
    }
  }
  return candidate;
}

// Searches random tiny networks for VELDMARK_FAULT_SEARCH seconds and prints,
// for each awkward path, the first network found to take it, minimised.
TEST(FaultSearch, RandomTinyNetworks) {
  const char* budget = std::getenv("VELDMARK_FAULT_SEARCH");
  if (budget == nullptr) GTEST_SKIP() << "set VELDMARK_FAULT_SEARCH=<seconds> to search";
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(budget));
  std::mt19937 random(std::random_device{}());
  std::vector<char> found(kPaths, 0);
  long tried = 0;
  ScratchDir dir;
  while (std::chrono::steady_clock::now() < end) {
    const Candidate candidate = randomCandidate(random);
    const std::vector<int> counts = pathCounts(dir, candidate);
    ++tried;
    for (int p = 0; p < kPaths; ++p) {
      if (counts[p] == 0 || found[p]) continue;
      found[p] = 1;
      const TinyNetwork tiny = minimise(dir, candidate, p).text();
      std::printf("--- %s, after %ld networks\nlinks:\n%sflows:\n%s", kPathNames[p], tried,
                  tiny.links.c_str(), tiny.flows.c_str());
    }
  }
  std::printf("searched %ld networks\n", tried);
  for (int p = 0; p < kPaths; ++p) {
    if (!found[p]) std::printf("--- %s: not found\n", kPathNames[p]);
  }
}

}  // namespace
}  // namespace veldmark::testing
