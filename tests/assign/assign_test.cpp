// veldmark-assign end to end: Sioux Falls assigned to the published
// equilibrium volumes, the same VOLUMES bytes on one thread and on two, the
// summary, the warnings, and every error as one line with exit code 1 and
// nothing written.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "support/test_support.h"

namespace veldmark {
namespace {

using testing::linkFile;
using testing::readFile;
using testing::runBinary;
using testing::RunResult;
using testing::ScratchDir;

const std::string kData = VELDMARK_SOURCE_DIR "/tests/data/tntp-siouxfalls/";
const std::string kBase = kData + "veldmark/base.txt";
const std::string kTrips = kData + "SiouxFalls_trips.tntp";

RunResult assign(const std::vector<std::string>& args, const std::string& dir) {
  return runBinary(VELDMARK_ASSIGN_BINARY, args, dir);
}

// The volume column of a VOLUMES file, or of the published flow file.
std::vector<double> volumeColumn(const std::string& text, char separator, int skip) {
  std::istringstream lines(text);
  std::vector<double> volumes;
  std::string line;
  for (int k = 0; std::getline(lines, line); ++k) {
    if (k < skip) continue;
    std::replace(line.begin(), line.end(), separator, ' ');
    std::istringstream fields(line);
    double from, to, volume;
    fields >> from >> to >> volume;
    volumes.push_back(volume);
  }
  return volumes;
}

TEST(AssignProgram, SiouxFallsReachesThePublishedEquilibriumOnAnyThreadCount) {
  ScratchDir dir;
  const RunResult one = assign({"--zones", "1-24", "--through-zones", "--gap=1e-6", "--threads",
                                "1", "--summary", "run.json", kBase, kTrips, "one.csv"},
                               dir.path());
  ASSERT_EQ(one.exitCode, 0) << one.err;
  EXPECT_EQ(one.err, "");
  EXPECT_EQ(one.out.rfind("one.csv: 76 links, relative gap ", 0), 0u) << one.out;
  const RunResult two = assign({kBase, "--zones", "1-24", "--through-zones", "--gap", "1e-6",
                                "--threads", "2", kTrips, "two.csv"},
                               dir.path());
  ASSERT_EQ(two.exitCode, 0) << two.err;
  const std::string volumes = readFile(dir.file("one.csv"));
  EXPECT_EQ(volumes, readFile(dir.file("two.csv")));
  EXPECT_EQ(volumes.substr(0, volumes.find('\n')), "from_node_id,to_node_id,volume,cost");
  // The published volumes (TNTP flow file: a metadata block, a header).
  const std::vector<double> mine = volumeColumn(volumes, ',', 1);
  std::string published = readFile(kData + "SiouxFalls_flow.tntp");
  published = published.substr(published.find('\n', published.find("Volume")) + 1);
  const std::vector<double> theirs = volumeColumn(published, '\t', 0);
  ASSERT_EQ(mine.size(), 76u);
  ASSERT_EQ(theirs.size(), 76u);
  for (std::size_t a = 0; a < mine.size(); ++a) {
    const double geh =
        std::sqrt(2 * (mine[a] - theirs[a]) * (mine[a] - theirs[a]) / (mine[a] + theirs[a]));
    EXPECT_LT(geh, 1.0) << "link " << a + 1;
  }
  const nlohmann::json summary = nlohmann::json::parse(readFile(dir.file("run.json")));
  EXPECT_EQ(summary["stop"], "gap reached");
  EXPECT_LE(summary["gap"].get<double>(), 1e-6);
  EXPECT_EQ(summary["demand"]["trips_in_table"], 360600.0);
  EXPECT_EQ(summary["demand"]["diagonal_trips"], 0.0);
  EXPECT_EQ(summary["zones"]["count"], 24);
  EXPECT_TRUE(summary["iterations"][0]["gap"].is_null());
  EXPECT_EQ(summary["iterations"].size(),
            summary["iterations"].back()["iteration"].get<int>() + 1u);
  EXPECT_GT(summary["memory"]["routes"].get<int>(), 528);
}

TEST(AssignProgram, WarnsOfTheIterationLimitAndOfPairsNoRouteJoins) {
  ScratchDir dir;
  // 1 <-> 2 and 3 -> 2: nothing reaches 3; 3 reaches 1 through zone 2.
  const std::string base =
      dir.write("base.txt", linkFile("1 2 10 1 1 0.15 4\n2 1 10 1 1 0.15 4\n3 2 10 1 1 0.15 4\n"));
  const std::string trips =
      dir.write("trips.csv", "o_zone_id,d_zone_id,volume\n1,2,50\n1,3,4\n2,3,5\n3,1,6\n2,2,7\n");
  const RunResult run = assign(
      {"--max-iterations", "1", "--through-zones", "--summary", "s.json", base, trips, "v.csv"},
      dir.path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err,
            "veldmark-assign: warning: 2 pairs that no route joins, their 9 trips not assigned: "
            "1 to 3, 2 to 3\n");
  const nlohmann::json summary = nlohmann::json::parse(readFile(dir.file("s.json")));
  EXPECT_EQ(summary["demand"]["unreachable_trips"], 9.0);
  EXPECT_EQ(summary["demand"]["diagonal_trips"], 7.0);
  EXPECT_EQ(summary["demand"]["trips_assigned"], 56.0);
  EXPECT_EQ(readFile(dir.file("v.csv")),
            "from_node_id,to_node_id,volume,cost\n1,2,50,94.75\n2,1,6,1.01944\n3,2,6,1.01944\n");
  // Two routes of which one must take a share: not done in one iteration.
  const std::string twin = dir.write(
      "twin.txt", linkFile("1 2 10 1 1 0.15 4\n1 3 10 1 1 0.15 4\n3 2 10 1 0.5 0.15 4\n"));
  const RunResult capped =
      assign({"--max-iterations", "1", "--through-zones", twin, trips, "w.csv"}, dir.path());
  EXPECT_EQ(capped.err.rfind("veldmark-assign: warning: stopped at the iteration limit (1) at "
                             "relative gap ",
                             0),
            0u)
      << capped.err;
}

TEST(AssignProgram, EachErrorIsOneLineAndWritesNothing) {
  ScratchDir dir;
  const std::string trips = dir.write("trips.csv", "o_zone_id,d_zone_id,volume\n1,2,5\n");
  const std::string good = dir.write("good.txt", linkFile("1 2 10 1 1 0.15 4\n"));
  const std::string bad = dir.write("bad.txt", linkFile("1 2 10 1 1 0.15 4\n2 1 10 1 -1 0.15 4\n"));
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{bad, trips, "v.csv"}, bad + ":10: attribute 3 (free-flow time) is negative"},
      {{"--zones", "1-3", good, trips, "v.csv"},
       "--zones 1-3: zone 3 is not a node of the road network"},
      {{"--zones", "2-2", good, trips, "v.csv"},
       trips + ": zone 1 has trips but is not a zone (see --zones)"},
      {{"--gap", "0", good, trips, "v.csv"}, "--gap needs a number above 0 and below 1, not '0'"},
      {{"--threads", good, trips, "v.csv"},
       "--threads needs a whole number from 1 to 1000000, not '" + good + "'"},
      {{"--bogus", good, trips, "v.csv"}, "unknown option '--bogus' (see veldmark-assign --help)"},
      {{"--zones=", good, trips, "v.csv"}, "--zones needs A-B or a FILE, not ''"},
      {{good, trips}, "BASE TRIPS VOLUMES expected (see veldmark-assign --help)"},
      {{good, trips, trips}, trips + ": is an input; an output never replaces one"},
      {{good, dir.file("none.csv"), "v.csv"}, dir.file("none.csv") + ": cannot open"},
  };
  for (const auto& c : cases) {
    const RunResult run = assign(c.args, dir.path());
    EXPECT_EQ(run.exitCode, 1) << c.message;
    EXPECT_EQ(run.err.rfind("veldmark-assign: " + c.message, 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(std::filesystem::exists(dir.file("v.csv")));
  }
  EXPECT_EQ(readFile(trips), "o_zone_id,d_zone_id,volume\n1,2,5\n");
  const RunResult help = assign({"--help"}, dir.path());
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("Usage: veldmark-assign [OPTION...] BASE TRIPS VOLUMES\n", 0), 0u);
}

}  // namespace
}  // namespace veldmark
