// The balancing methods through the binary on Sioux Falls: their console,
// every output, and their messages (inputs refused naming file and line,
// options of a method that does not run, the warnings that say how weak an
// estimate may be).
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "estimation/balancing/balancing_inputs.h"
#include "estimation/entropy/entropy_method.h"
#include "formats/reference_table.h"
#include "support/test_support.h"

namespace veldmark {
namespace {

using testing::maskClock;
using testing::readFile;
using testing::RunResult;
using testing::runVeldmark;
using testing::ScratchDir;

const std::string kData = VELDMARK_SOURCE_DIR "/tests/data/tntp-siouxfalls/";
const std::string kNetwork = kData + "veldmark/";
const std::string kPrior = kData + "SiouxFalls_trips.tntp";

// Sioux Falls with every second link counted (ABSTRACT and FLOWS written to `dir`).
void writeHalfCounted(const ScratchDir& dir) {
  const std::string base = readFile(kNetwork + "base.txt");
  const std::string flows = readFile(kNetwork + "flows.txt");
  std::string abstract, counts;
  std::size_t line = 0, start = 0;
  for (std::size_t end; (end = base.find('\n', start)) != std::string::npos; start = end + 1) {
    if (line < 8 || line % 2 == 0) abstract += base.substr(start, end - start + 1);
    ++line;
  }
  line = 0;
  start = 0;
  for (std::size_t end; (end = flows.find('\n', start)) != std::string::npos; start = end + 1) {
    if (line < 6 || line % 2 == 0) counts += flows.substr(start, end - start + 1);
    ++line;
  }
  dir.write("abstract.txt", abstract);
  dir.write("flows.txt", counts);
}

RunResult run(std::vector<std::string> options, const ScratchDir& dir,
              const std::string& abstract = "abstract.txt") {
  options.insert(options.end(),
                 {kNetwork + "base.txt", dir.file(abstract), dir.file("flows.txt"), "trips.txt"});
  return runVeldmark(options, dir.path());
}

// The console: the banner, one clock line per phase, the finishing lines.
TEST(BalancingRuns, EntropyConsoleAndEveryOutput) {
  ScratchDir dir;
  writeHalfCounted(dir);
  const RunResult result =
      run({"--method", "entropy", "--prior", kPrior, "--zones", "1-24", "--through-zones", "--csv",
           "t.csv", "--omx", "t.omx", "--fit", "fit.csv", "--volumes", "v.csv", "--summary",
           "s.json", "--report", "r.html"},
          dir);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  const std::string console = maskClock(result.out);
  for (const char* phase :
       {"   Clock\t\t# : Starting\n",
        "   Clock\t\t# : Estimate by entropy: 24 zones, 76 road links, 38 counts, prior ",
        "   Clock\t\t# : Routes of the prior: equilibrium at relative gap ",
        "   Clock\t\t# : Count weight ", "   Clock\t\t# : Balanced: ",
        "   Clock\t\t# : Routes of the estimate: ", "   Clock\t\t# : Finishing\n",
        "   CPU time elapsed: # sec"}) {
    EXPECT_NE(console.find(phase), std::string::npos) << phase << "\n" << console;
  }
  // The trip table file, the CSV and the OMX table: the same 24 zones, 1 to 24.
  ZoneTable trips, csv, omx;
  ASSERT_TRUE(readReferenceTable(dir.file("trips.txt"), trips).ok());
  ASSERT_TRUE(readReferenceTable(dir.file("t.csv"), csv).ok());
  ASSERT_TRUE(readReferenceTable(dir.file("t.omx"), omx).ok());
  std::vector<NodeId> zones(24);
  for (int i = 0; i < 24; ++i) zones[i] = i + 1;
  EXPECT_EQ(trips.zones, zones);
  EXPECT_EQ(csv.zones, zones);
  EXPECT_EQ(omx.values, csv.values);
  // --fit: one row per counted link; --volumes: one per road link.
  const std::string fit = readFile(dir.file("fit.csv"));
  EXPECT_EQ(std::count(fit.begin(), fit.end(), '\n'), 1 + 38);
  const std::string volumes = readFile(dir.file("v.csv"));
  EXPECT_EQ(volumes.rfind("from_node_id,to_node_id,volume,cost\n1,2,", 0), 0u);
  EXPECT_EQ(std::count(volumes.begin(), volumes.end(), '\n'), 1 + 76);
  const nlohmann::json summary = nlohmann::json::parse(readFile(dir.file("s.json")));
  EXPECT_EQ(summary["method"], "entropy");
  EXPECT_EQ(summary["end"]["converged"], true);
  const nlohmann::json& balancing = summary["balancing"];
  EXPECT_EQ(balancing["counted_links"], 38);
  EXPECT_EQ(balancing["pairs"], 528);
  // The default weights: no cross-validation.
  EXPECT_EQ(balancing["count_weight"], kDefaultCountWeight);
  EXPECT_EQ(balancing["trip_end_weight"], kDefaultTripEndWeight);
  EXPECT_EQ(balancing["count_weight_chosen"], false);
  EXPECT_TRUE(balancing["count_weights_tried"].empty());
  EXPECT_TRUE(balancing["held_out"].is_null());
  EXPECT_EQ(balancing["levels"].size(), 2u);
  // Each level says why its balancing stopped, in the minimiser's words.
  for (const nlohmann::json& level : balancing["levels"]) {
    const std::string stop = level["stop"];
    EXPECT_TRUE(stop == "converged" || stop == "no further decrease" ||
                stop == "line search stalled")
        << stop;
  }
  EXPECT_NE(readFile(dir.file("r.html")).find("<html"), std::string::npos);
  // The prior is the table whose equilibrium the counts are: the fit is close.
  EXPECT_GT(summary["end"]["fit"]["share_geh_below_5"].get<double>(), 0.9);
}

// --count-weight auto: every weight tried is scored on held-out counts, and
// the one chosen is the one used, on the console and in the summary.
TEST(BalancingRuns, CountWeightChosenByHeldOutCounts) {
  ScratchDir dir;
  writeHalfCounted(dir);
  const RunResult result =
      run({"--method", "entropy", "--prior", kPrior, "--zones", "1-24", "--through-zones",
           "--outer", "1", "--count-weight", "auto", "--summary", "s.json"},
          dir);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const nlohmann::json balancing = nlohmann::json::parse(readFile(dir.file("s.json")))["balancing"];
  EXPECT_EQ(balancing["count_weight_chosen"], true);
  ASSERT_EQ(balancing["count_weights_tried"].size(), std::size(kCountWeightsTried));
  const nlohmann::json& chosen = balancing["held_out"];
  ASSERT_TRUE(chosen.is_object());
  EXPECT_EQ(chosen["count_weight"], balancing["count_weight"]);
  for (const nlohmann::json& trial : balancing["count_weights_tried"]) {
    EXPECT_GE(trial["held_out_score"].get<double>(), chosen["held_out_score"].get<double>());
  }
  EXPECT_NE(result.out.find("-fold cross-validation, trip-end weight "), std::string::npos)
      << result.out;
}

TEST(BalancingRuns, GradientWithItsOwnOptions) {
  ScratchDir dir;
  writeHalfCounted(dir);
  const RunResult result =
      run({"--method=gradient", "--prior", kPrior, "--zones", "1-24", "--through-zones", "--outer",
           "1", "--max-iterations", "3", "--summary", "s.json"},
          dir);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("Adjusted: "), std::string::npos) << result.out;
  const nlohmann::json summary = nlohmann::json::parse(readFile(dir.file("s.json")));
  EXPECT_EQ(summary["method"], "gradient");
  ASSERT_EQ(summary["balancing"]["levels"].size(), 1u);
  EXPECT_LE(summary["balancing"]["levels"][0]["steps"].get<int>(), 3);
}

// Every refusal is one line on standard error naming what is wrong, exit 1,
// and no table written.
TEST(BalancingRuns, InputsAndOptionsRefused) {
  ScratchDir dir;
  writeHalfCounted(dir);
  std::string abstract = readFile(dir.file("abstract.txt"));
  abstract.replace(abstract.find("\n1 2 "), 5, "\n1 7 ");  // no link joins 1 to 7
  dir.write("off.txt", abstract);
  dir.write("negative.csv", "o_zone_id,d_zone_id,volume\n1,2,5\n2,1,-1\n");
  dir.write("small.csv", "o_zone_id,d_zone_id,volume\n1,2,5\n");
  dir.write("outside.csv", "o_zone_id,d_zone_id,volume\n1,2,5\n2,25,1\n");
  const struct {
    std::vector<std::string> options;
    std::string abstract;
    std::string message;
  } kCases[] = {
      {{"--method", "entropy", "--prior", kPrior, "--zones", "1-24"},
       "off.txt",
       "veldmark: " + dir.file("off.txt") + ":9: no link of " + kNetwork +
           "base.txt joins 1 to 7\n"},
      {{"--method", "entropy", "--prior", "negative.csv", "--zones", "1-24"},
       "abstract.txt",
       "veldmark: negative.csv:3: value is negative\n"},
      {{"--method", "gradient", "--prior", "outside.csv", "--zones", "1-24"},
       "abstract.txt",
       "veldmark: outside.csv: zone 25 is not a zone (see --zones)\n"},
      {{"--method", "entropy"}, "abstract.txt", "veldmark: --zones is needed without --prior\n"},
      {{"--prior", kPrior},
       "abstract.txt",
       "veldmark: option '--prior' needs --method entropy or gradient\n"},
      {{"--method", "gradient", "--count-weight", "10"},
       "abstract.txt",
       "veldmark: option '--count-weight' needs --method entropy\n"},
      {{"--method", "entropy", "--max-iterations", "10"},
       "abstract.txt",
       "veldmark: option '--max-iterations' needs --method gradient\n"},
      {{"--method", "gradient", "--prior", "small.csv", "--zones", "1-24", "--volumes",
        "small.csv"},
       "abstract.txt",
       "veldmark: --volumes 'small.csv' is the same file as --prior 'small.csv': an output "
       "never replaces an input or another output\n"},
      {{"--method", "gradient", "--trip-end-weight", "1"},
       "abstract.txt",
       "veldmark: option '--trip-end-weight' needs --method entropy\n"},
      {{"--method", "entropy", "--trip-end-weight", "-1"},
       "abstract.txt",
       "veldmark: option '--trip-end-weight' needs a number above 0 or inf, not '-1'\n"},
      {{"--method", "entropy", "--count-weight", "0"},
       "abstract.txt",
       "veldmark: option '--count-weight' needs a number above 0, auto or inf, not '0'\n"},
      {{"--method", "fastest"},
       "abstract.txt",
       "veldmark: option '--method' needs linearised, entropy or gradient, not 'fastest'\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.message);
    const RunResult result = run(c.options, dir, c.abstract);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, c.message);
    EXPECT_FALSE(std::filesystem::exists(dir.file("trips.txt")));
  }
}

// Without a prior the estimate is weak, and the run says so; zones without
// any prior trips are named.
TEST(BalancingRuns, WarningsOnAWeakPrior) {
  ScratchDir dir;
  writeHalfCounted(dir);
  const RunResult flat = run({"--method", "entropy", "--zones", "1-24", "--through-zones",
                              "--count-weight", "10", "--outer", "1"},
                             dir);
  ASSERT_EQ(flat.exitCode, 0) << flat.err;
  EXPECT_NE(flat.err.find("veldmark: warning: without --prior the estimate is weak"),
            std::string::npos)
      << flat.err;
  EXPECT_NE(flat.out.find("No prior: a flat one of "), std::string::npos);
  dir.write("some.csv", "o_zone_id,d_zone_id,volume\n1,2,500\n2,1,400\n3,4,100\n");
  const RunResult some = run(
      {"--method", "gradient", "--prior", "some.csv", "--zones", "1-24", "--through-zones"}, dir);
  ASSERT_EQ(some.exitCode, 0) << some.err;
  EXPECT_NE(some.err.find("veldmark: warning: some.csv: 20 zone(s) without any prior trips "
                          "(none will be estimated for them): 5, 6, 7, 8, 9, ...\n"),
            std::string::npos)
      << some.err;
}

}  // namespace
}  // namespace veldmark
