// Warnings, the fit file and unwritable option files, through the binary on
// small networks: the corridor of the guide and variations of it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace veldmark::testing {
namespace {

const std::string kCorridor = "10 20\n20 10\n20 30\n30 20\n";
const std::string kCounts = "10 20   420.0 0\n20 10   380.0 0\n20 30   260.0 0\n30 20   300.0 0\n";

// Runs ABSTRACT (also the base network) and FLOWS with `options` before them.
RunResult runNetwork(const ScratchDir& dir, const std::string& links, const std::string& flows,
                     std::vector<std::string> options = {}) {
  dir.write("abstract.txt", linkFile(links));
  dir.write("flows.txt", flowFile(flows));
  for (const char* file : {"abstract.txt", "abstract.txt", "flows.txt", "trips.txt"}) {
    options.push_back(file);
  }
  return runVeldmark(options, dir.path());
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> split;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) split.push_back(line);
  return split;
}

// Each case lists the warning lines it must print, in order; an expected
// line ending in "..." need only begin the printed one.
TEST(Warnings, EachAppearsExactlyWhenItsCauseIsPresent) {
  const std::string w = "veldmark: warning: ";
  const struct {
    const char* name;
    std::string links, flows;
    std::vector<std::string> expected;
  } cases[] = {
      // No warning also means every count is reproduced to a relative 1e-6,
      // here with the 10 -> 20 count split into parallel links of 300 and 120.
      {"the corridor of the guide", kCorridor, kCounts, {}},
      {"the corridor with parallel links",
       "10 20\n" + kCorridor,
       "10 20   300 0   120 0\n" + kCounts.substr(kCounts.find('\n') + 1),
       {}},
      {"a mistyped count line",
       kCorridor,
       "10 21   420.0 0\n20 10   380.0 0\n20 30   260.0 0\n30 20   300.0 0\n",
       {w + "flows.txt:7: flow line from 10 to 21 names no abstract link (skipped)",
        w + "abstract.txt: 1 abstract link(s) named by no flow line count as 0.01: line 9 (10 to "
            "20)"}},
      {"seven lines name no link",
       kCorridor,
       kCounts + "1 2   1 0\n2 1   1 0\n3 4   1 0\n4 5   1 0\n5 6   1 0\n6 7   1 0\n7 8   1 0\n",
       {w + "flows.txt:11: flow line from 1 to 2 names no abstract link (skipped)",
        w + "flows.txt:12: ...", w + "flows.txt:13: ...", w + "flows.txt:14: ...",
        w + "flows.txt:15: flow line from 5 to 6 names no abstract link (skipped)",
        w + "flows.txt: 2 more flow lines name no abstract link (skipped)"}},
      {"six links without a count, a zero count",
       kCorridor + "10 30\n30 10\n10 10\n",
       "20 10   0 0\n",
       {w + "abstract.txt: 6 abstract link(s) named by no flow line count as 0.01: line 9 (10 to "
            "20), line 11 (20 to 30), line 12 (30 to 20), line 13 (10 to 30), line 14 (30 to 10), "
            "..."}},
      {"one zone never reaches the tolerance",
       "10 10\n",
       "10 10   5 0\n",
       {w + "the estimation stopped at the 25-iteration limit without reaching the tolerance 0.001 "
            "(last average O-D flow difference: ..."}},
      // The pivot of every iteration turns the basis singular and loses the
      // floored count of 2 -> 3 against counts of 1e15 and 7e15.
      {"a singular basis loses a count",
       "2 2\n2 3\n1 5\n5 6\n",
       "2 2   0 0\n2 3   0 0\n1 5   1e+15 0\n5 6   7e+15 0\n",
       {w + "the estimation stopped at the 25-iteration limit ...",
        w + "the pivot loop stopped at a singular basis in 25 of 25 iterations: 1, 2, 3, ...",
        w + "abstract.txt:10: 1 abstract link(s) off their counts by more than a relative 1e-06, "
            "the most this one from 2 to 3: count 0.01, estimated ..."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    const RunResult run = runNetwork(dir, c.links, c.flows);
    EXPECT_EQ(run.exitCode, 0);
    const std::vector<std::string> printed = lines(run.err);
    ASSERT_EQ(printed.size(), c.expected.size()) << run.err;
    for (std::size_t i = 0; i < printed.size(); ++i) {
      const std::string& expected = c.expected[i];
      if (expected.ends_with("...")) {
        EXPECT_EQ(printed[i].rfind(expected.substr(0, expected.size() - 3), 0), 0u) << printed[i];
      } else {
        EXPECT_EQ(printed[i], expected);
      }
    }
  }
}

// The fit file shows the count the singular bases lose: 0.01 estimated as
// almost 0, with its difference and GEH.
TEST(Fit, ShowsEachCountBesideTheEstimatedFlow) {
  ScratchDir dir;
  runNetwork(dir, "2 2\n2 3\n1 5\n5 6\n", "2 2   0 0\n2 3   0 0\n1 5   1e+15 0\n5 6   7e+15 0\n",
             {"--fit=f.csv"});
  const std::vector<std::string> rows = lines(readFile(dir.file("f.csv")));
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], "from,to,observed,estimated,difference,geh");
  EXPECT_EQ(rows[1], "2,2,0.01,0.01,0,0");
  double e = 1, difference = 0, geh = 0;
  ASSERT_EQ(std::sscanf(rows[2].c_str(), "2,3,0.01,%lf,%lf,%lf", &e, &difference, &geh), 3);
  EXPECT_LT(e, 1e-6);
  EXPECT_EQ(difference, e - 0.01);
  EXPECT_NEAR(geh, std::sqrt(2 * difference * difference / (e + 0.01)), 1e-12);
  EXPECT_EQ(rows[4], "5,6,7e+15,7e+15,0,0");
}

// An option file that cannot be written is an error after the run: exit 1,
// one message, the trip table written all the same.
TEST(Fit, UnwritableOptionFilesEndTheRunWithTheirMessage) {
  for (const char* option : {"--fit", "--summary"}) {
    SCOPED_TRACE(option);
    ScratchDir dir;
    const RunResult run = runNetwork(dir, kCorridor, kCounts, {option, "missing/out"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "veldmark: missing/out: cannot write: No such file or directory\n");
    EXPECT_NE(readFile(dir.file("trips.txt")), "");
  }
}

}  // namespace
}  // namespace veldmark::testing
