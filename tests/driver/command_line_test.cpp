// The program's command line, run through the built binary in a scratch
// directory: argument checks, the default output name, the informational
// options, and failures that the driver reports on standard error.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace veldmark {
namespace {

using testing::flowFile;
using testing::linkFile;
using testing::maskClock;
using testing::readFile;
using testing::RunResult;
using testing::runVeldmark;
using testing::ScratchDir;

namespace fs = std::filesystem;

// Two zones joined both ways; the table is the observed flows themselves.
constexpr const char* kNetwork = "1 2 1 0 0 0 0 0 0 0\n2 1 1 0 0 0 0 0 0 0\n";
constexpr const char* kFlows = "1 2   5.0 0\n2 1   7.0 0\n";

constexpr const char* kEstimation =
    "   Estimate the travel table in the abstract network\n"
    "\n"
    "   ==========================================\n"
    "   Iteration: 1\n"
    "   Pivot move over the linear space .\n"
    "   Average O-D flow difference: 0\n"
    "\n";
constexpr const char* kDefaultNameLine =
    "\n   Clock\t\t# : Argument(s) missing...Default output file name used\n";
constexpr const char* kFinish = "   Clock\t\t# : Finishing\n   CPU time elapsed: # sec\n";

constexpr const char* kTripTable =
    "<NUMBER OF ZONES> 2\n"
    "<TOTAL OD FLOW> 12\n"
    "<END OF METADATA>\n"
    "\n"
    "\n"
    "Origin \t1 \n"
    "    1 :      0.0;    2 :      5.0; \n"
    "\n"
    "Origin \t2 \n"
    "    1 :      7.0;    2 :      0.0; \n"
    "\n";

// The version as --version reports it ("veldmark X.Y.Z").
std::string version() {
  ScratchDir dir;
  std::string line = runVeldmark({"--version"}, dir.path()).out;
  if (!line.empty()) line.pop_back();  // the line end
  return line.substr(line.find(' ') + 1);
}

// The banner and the start clock line, with the clock masked.
std::string start() {
  return "\n"
         "   Veldmark\n"
         "   O-D trip table estimation from observed link flows\n"
         "   Version " +
         version() +
         "\n"
         "   Free software; the estimate is only as good as the observed flows.\n"
         "\n"
         "   Clock\t\t# : Starting\n";
}

// A scratch directory holding base.txt, abstract.txt and flows.txt.
struct Inputs {
  Inputs() {
    dir.write("base.txt", linkFile(kNetwork));
    dir.write("abstract.txt", linkFile(kNetwork));
    dir.write("flows.txt", flowFile(kFlows));
  }
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  ScratchDir dir;
};

const std::vector<std::string> kInputNames = {"abstract.txt", "base.txt", "flows.txt"};

void expectOneMessageLine(const RunResult& run, const std::string& about) {
  EXPECT_EQ(run.err.rfind("veldmark: ", 0), 0u) << run.err;
  EXPECT_NE(run.err.find(about), std::string::npos) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_EQ(run.err.back(), '\n');
}

TEST(CommandLine, FewerThanThreeArgumentsStopWithoutALineEnd) {
  const std::vector<std::vector<std::string>> commandLines = {
      {}, {"base.txt"}, {"base.txt", "abstract.txt"}};
  for (const auto& args : commandLines) {
    SCOPED_TRACE(args.size());
    Inputs inputs;
    const RunResult run = runVeldmark(args, inputs.dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(maskClock(run.out), start() + "argument(s) missing...");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(inputs.entries(), kInputNames);  // no trip table file
  }
}

TEST(CommandLine, EachFileIsReadBeforeTheNextArgumentIsLookedAt) {
  const std::vector<std::vector<std::string>> commandLines = {{"absent.txt"},
                                                              {"base.txt", "absent.txt"}};
  for (const auto& args : commandLines) {
    SCOPED_TRACE(args.size());
    Inputs inputs;
    const RunResult run = runVeldmark(args, inputs.dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(maskClock(run.out), start());
    expectOneMessageLine(run, "absent.txt");
  }
}

TEST(CommandLine, ThreeArgumentsWriteTheDefaultFileInTheWorkingDirectory) {
  Inputs inputs;
  const RunResult run = runVeldmark({"base.txt", "abstract.txt", "flows.txt"}, inputs.dir.path());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(maskClock(run.out), start() + kEstimation + kDefaultNameLine + kFinish);
  EXPECT_EQ(readFile(inputs.dir.file("default_od_abs.txt")), kTripTable);
}

TEST(CommandLine, FourthArgumentNamesTheTableAndLaterOnesAreIgnored) {
  const std::vector<std::vector<std::string>> commandLines = {
      {"base.txt", "abstract.txt", "flows.txt", "trips.txt"},
      {"base.txt", "abstract.txt", "flows.txt", "trips.txt", "fifth.txt"},
      {"base.txt", "abstract.txt", "flows.txt", "trips.txt", "no/such/dir", "--help"}};
  for (const auto& args : commandLines) {
    SCOPED_TRACE(args.size());
    Inputs inputs;
    const RunResult run = runVeldmark(args, inputs.dir.path());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(maskClock(run.out), start() + kEstimation + kFinish);
    EXPECT_EQ(readFile(inputs.dir.file("trips.txt")), kTripTable);
    std::vector<std::string> expected = kInputNames;
    expected.push_back("trips.txt");
    EXPECT_EQ(inputs.entries(), expected);
  }
}

TEST(CommandLine, HelpAndVersionPrintOnlyTheirTextAndSucceed) {
  ScratchDir dir;
  const RunResult help = runVeldmark({"--help"}, dir.path());
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(help.out.rfind("Usage: veldmark BASE ABSTRACT FLOWS [TRIPS]\n", 0), 0u);
  EXPECT_LE(std::count(help.out.begin(), help.out.end(), '\n'), 25);
  EXPECT_EQ(help.out.back(), '\n');
  EXPECT_NE(help.out.find("man veldmark"), std::string::npos);
  EXPECT_NE(help.out.find("docs/veldmark.1"), std::string::npos);

  const RunResult shortHelp = runVeldmark({"-h"}, dir.path());
  EXPECT_EQ(shortHelp.exitCode, 0);
  EXPECT_EQ(shortHelp.out, help.out);

  const RunResult versionRun = runVeldmark({"--version"}, dir.path());
  EXPECT_EQ(versionRun.exitCode, 0);
  EXPECT_EQ(versionRun.err, "");
  const std::string number = version();  // X.Y.Z
  EXPECT_EQ(versionRun.out, "veldmark " + number + "\n");
  EXPECT_TRUE(std::all_of(number.begin(), number.end(),
                          [](char c) { return c == '.' || (c >= '0' && c <= '9'); }));
  EXPECT_EQ(std::count(number.begin(), number.end(), '.'), 2) << number;
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(CommandLine, MissingInputFileIsNamedOnStandardError) {
  for (int position = 0; position < 3; ++position) {
    SCOPED_TRACE(position + 1);
    Inputs inputs;
    std::vector<std::string> args = {"base.txt", "abstract.txt", "flows.txt", "trips.txt"};
    args[position] = "gone.txt";
    const RunResult run = runVeldmark(args, inputs.dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(maskClock(run.out), start());
    expectOneMessageLine(run, "veldmark: gone.txt: cannot open: ");
    EXPECT_FALSE(fs::exists(inputs.dir.file("trips.txt")));
  }
}

// The table cannot be written: the failure is reported, the finishing lines
// still close the console, and the exit code says the run did not complete.
TEST(CommandLine, UnwritableTripTableIsReportedAfterTheFinishingLines) {
  const std::vector<std::string> outputs = {"missing/trips.txt", "adirectory", "/dev/full"};
  for (const std::string& output : outputs) {
    SCOPED_TRACE(output);
    if (output == "/dev/full" && !fs::exists(output)) continue;
    Inputs inputs;
    fs::create_directory(inputs.dir.file("adirectory"));
    const RunResult run =
        runVeldmark({"base.txt", "abstract.txt", "flows.txt", output}, inputs.dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(maskClock(run.out), start() + kEstimation + kFinish);
    expectOneMessageLine(run, "veldmark: " + output + ": ");
    EXPECT_TRUE(fs::is_empty(inputs.dir.file("adirectory")));
    EXPECT_EQ(inputs.entries().size(), kInputNames.size() + 1);  // no stray temporary file
  }
}

}  // namespace
}  // namespace veldmark
