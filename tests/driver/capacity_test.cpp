// The capacities of the network files, through the built binary: 1000
// distinct nodes and 5000 links are read, one more of either is refused with
// one message line and exit code 1. The full-size estimation (1000 zones,
// 5000 abstract links) takes minutes and 640 MiB: bench/capacity_run.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "estimation/linearised/limits.h"
#include "reliability/bounded_run.h"
#include "support/test_support.h"
#include "veldmark/constants.h"

namespace veldmark::testing {
namespace {

static_assert(kMaxNodes == 1000 && kMaxLinks == 5000, "the cases below are built for these");

// `count` link lines chaining nodes 1, 2, ... so that they bring exactly
// `nodes` distinct nodes (nodes >= 2), repeating the last link as needed.
std::string chainLinks(int nodes, int count) {
  std::string body;
  for (int v = 0; v < count; ++v) {
    const int from = 1 + std::min(v, nodes - 2);
    body += std::to_string(from) + " " + std::to_string(from + 1) + " 1 0 0 0 0 0 0 0\n";
  }
  return body;
}

struct Refusal {
  const char* what;
  std::string base;
  std::string abstract;
  const char* message;  // a part of the one message line
};

// One past a limit, in either network file: the run stops at that file with
// a single "veldmark: " line naming the file, the line and the limit; the
// estimation never starts and no trip table is written.
TEST(Capacity, OnePastALimitIsRefusedWithOneLine) {
  const std::vector<Refusal> cases = {
      {"base, 1001 nodes", linkFile(chainLinks(1001, 1000)), linkFile(kTwoZoneLinks),
       "base.txt:1008: more than 1000 distinct nodes"},
      {"abstract, 1001 nodes", linkFile(kTwoZoneLinks), linkFile(chainLinks(1001, 1000)),
       "abstract.txt:1008: more than 1000 distinct nodes"},
      {"base, 5001 links", linkFile(chainLinks(2, 5001)), linkFile(kTwoZoneLinks),
       "base.txt:5009: more than 5000 link lines"},
      {"abstract, 5001 links", linkFile(kTwoZoneLinks), linkFile(chainLinks(2, 5001)),
       "abstract.txt:5009: more than 5000 link lines"},
  };
  for (const Refusal& refusal : cases) {
    SCOPED_TRACE(refusal.what);
    ScratchDir dir;
    dir.write("base.txt", refusal.base);
    dir.write("abstract.txt", refusal.abstract);
    dir.write("flows.txt", flowFile(kTwoZoneFlows));
    const BoundedRun run =
        runBounded({"base.txt", "abstract.txt", "flows.txt", "trips.txt"}, dir.path(), 60);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.rfind("veldmark: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(refusal.message), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_EQ(run.out.find("Estimate"), std::string::npos);
    EXPECT_EQ(readFile(dir.file("trips.txt")), "");
  }
}

// Exactly at both limits, in the base network (whose size costs the
// estimation nothing): the file is read and the run completes.
TEST(Capacity, BaseNetworkAtBothLimitsIsRead) {
  ScratchDir dir;
  dir.write("base.txt", linkFile(chainLinks(1000, 5000)));
  dir.write("abstract.txt", linkFile(kTwoZoneLinks));
  dir.write("flows.txt", flowFile(kTwoZoneFlows));
  const BoundedRun run =
      runBounded({"base.txt", "abstract.txt", "flows.txt", "trips.txt"}, dir.path(), 60);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(withoutWarnings(run.err), "");
  EXPECT_EQ(readFile(dir.file("trips.txt")).rfind("<NUMBER OF ZONES> 2\n", 0), 0u);
}

}  // namespace
}  // namespace veldmark::testing
