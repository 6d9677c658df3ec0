// Small networks that drive the estimation down its awkward paths: a failed
// inverse check, a negative cycle under the dual prices, a pair that no path
// joins passing the pricing test, an unbounded ratio test, a basis that turns
// singular, the pass cap. Each was found by the fault search
// (tools/fault_search.cpp), the unbounded ratio test by mutating an earlier
// find. The estimation's own record (fault_paths.h) confirms that a network
// still takes its path; the binary must then run it to the end, in bounded
// time, with exit code 0 and a trip table written. The sanitizer build runs
// the same tests, so the paths are also free of UB.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "estimation/linearised/team_runs.h"
#include "reliability/bounded_run.h"
#include "reliability/fault_paths.h"
#include "support/test_support.h"

namespace veldmark::testing {
namespace {

// --- The networks -----------------------------------------------------------

struct FaultNetwork {
  const char* path;        // the awkward path it takes
  int FaultPaths::*taken;  // the record's count of that path
  TinyNetwork network;
};

const std::vector<FaultNetwork>& faultNetworks() {
  static const std::vector<FaultNetwork> networks = {
      // The first pass prices each link at minus the log of its flow: the
      // ring 4->1->3->4 costs -ln 1e6, a negative cycle reachable from zone 0.
      {"negative cycle under the dual prices",
       &FaultPaths::negativeCycleFloors,
       {"4 1\n1 3\n3 4\n", "4 1   1 0\n1 3   1 0\n3 4   1e+06 0\n"}},
      // Two-link paths around the ring enter; a basis of them has determinant
      // 2 and an inverse of entries +-1/2, which the integer check truncates
      // to 0: it prints a 3 x 3 matrix of zeros.
      {"failed inverse check",
       &FaultPaths::failedChecks,
       {"4 1\n1 3\n3 4\n", "4 1   1 0\n1 3   1e+06 0\n3 4   1e+06 0\n"}},
      // Two zones with only self-links: pair (0, 0) duplicates its basic
      // column, so the unjoined pair (0, 1) passes the test and is traced.
      {"pair no path joins passes pricing",
       &FaultPaths::unjoinedPairPriced,
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
      // Parallel links 3->6 and 6->4 whose flows differ by up to 10^6: after
      // passes of floored negative-cycle prices the basis is no longer
      // feasible, and one pivot's ratio test finds no row with a positive
      // entry of the entering column and a non-negative ratio: theta stays
      // kUnreachable and the pivot goes on with it.
      {"unbounded ratio test",
       &FaultPaths::unboundedRatioTests,
       {"2 1\n4 1\n1 4\n6 2\n3 6\n6 3\n6 4\n3 6\n5 1\n6 4\n",
        "2 1   1000 0\n4 1   1 0\n1 4   1 0\n6 2   1e+06 0\n3 6   1 0   0.001 0\n"
        "6 3   1000 0\n6 4   0.001 0   1000 0\n5 1   1e+06 0\n"}},
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
  expectStop("without a leaving position", seen.noLeavingPosition);
  EXPECT_EQ(errors.find("the inverse check failed") != std::string::npos, seen.failedChecks > 0);
  EXPECT_EQ(errors.find("off their counts"), std::string::npos);
}

// Each network still takes its path, as the estimation's record shows, with
// the same bytes on every team of threads, and the binary runs it to the
// end: the same console, exit code 0, no message but warnings, the finishing
// lines and a trip table, within a minute. Its warnings name exactly the
// paths the record shows that a planner must know of, with the record's
// count of iterations.
TEST(FaultNetworks, EachTakesItsPathAndRunsToTheEnd) {
  for (const FaultNetwork& fault : faultNetworks()) {
    SCOPED_TRACE(fault.path);
    ScratchDir dir;
    AbstractNetwork network;
    ASSERT_TRUE(readTinyNetwork(dir, fault.network, network));
    const FaultPaths seen = estimateAndCount(network);
    EXPECT_GT(seen.*fault.taken, 0);
    expectSameBytesOnEveryTeam(network);  // teams of 1, 2, 3 and 8, every step shared

    dir.write("base.txt", linkFile(fault.network.links));
    const BoundedRun run =
        runBounded({"base.txt", "abstract.txt", "flows.txt", "trips.txt"}, dir.path(), 60);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(withoutWarnings(run.err), "");
    expectWarningsOfThePaths(run.err, seen);
    EXPECT_NE(run.out.find(seen.console), std::string::npos);
    EXPECT_NE(run.out.find(" : Finishing\n   CPU time elapsed: "), std::string::npos);
    EXPECT_EQ(readFile(dir.file("trips.txt")).rfind("<NUMBER OF ZONES> ", 0), 0u);
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
    return readTinyNetwork(dir, tiny, network) ? estimateAndCount(network).console : std::string();
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

}  // namespace
}  // namespace veldmark::testing
