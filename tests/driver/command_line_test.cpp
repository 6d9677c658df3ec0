// The built program in a scratch directory: argument checks, the default
// output name, the informational options, and bad files or paths in place
// of good ones. No run may crash (a signal shows as an exit code of 128 or
// more) or hang (every run is limited in processor time).
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

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

// The table the two-zone network gives: its observed flows themselves.
const std::string kTable =
    "<NUMBER OF ZONES> 2\n<TOTAL OD FLOW> 12\n<END OF METADATA>\n\n\n"
    "Origin \t1 \n    1 :      0.0;    2 :      5.0; \n\n"
    "Origin \t2 \n    1 :      7.0;    2 :      0.0; \n\n";
const std::string kEstimation =
    "   Estimate the travel table in the abstract network\n\n"
    "   ==========================================\n   Iteration: 1\n"
    "   Pivot move over the linear space .\n   Average O-D flow difference: 0\n\n";
const std::string kFinish = "   Clock\t\t# : Finishing\n   CPU time elapsed: # sec\n";

// A scratch directory holding base.txt, abstract.txt and flows.txt.
struct Inputs : ScratchDir {
  Inputs() {
    write("base.txt", linkFile(testing::kTwoZoneLinks));
    write("abstract.txt", linkFile(testing::kTwoZoneLinks));
    write("flows.txt", flowFile(testing::kTwoZoneFlows));
  }
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path()))
      names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
};

// The number --version reports ("veldmark X.Y.Z").
std::string version() {
  static const std::string line = runVeldmark({"--version"}, ScratchDir().path()).out;
  return line.substr(line.find(' ') + 1, line.size() - line.find(' ') - 2);
}

// The banner and the start clock line, the clock masked.
std::string start() {
  return "\n   Veldmark\n   O-D trip table estimation from observed link flows\n   Version " +
         version() +
         "\n   Free software; the estimate is only as good as the observed flows.\n\n"
         "   Clock\t\t# : Starting\n";
}

void expectOneMessageLine(const RunResult& run, const std::string& part) {
  EXPECT_EQ(run.err.rfind("veldmark: ", 0), 0u) << run.err;
  EXPECT_NE(run.err.find(part), std::string::npos) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_EQ(run.err.back(), '\n');
}

const std::string kUsageLine =
    "veldmark: usage: veldmark [OPTION\xe2\x80\xa6] BASE ABSTRACT FLOWS [TRIPS] (veldmark --help "
    "for more)\n";

// Each file is read before the next argument is looked at; a missing
// argument stops the run without a line end, a missing file with a message.
TEST(CommandLine, MissingArgumentsAndFilesStopTheRun) {
  const std::vector<std::string> inputs = {"abstract.txt", "base.txt", "flows.txt"};
  for (int count = 0; count < 3; ++count) {
    SCOPED_TRACE(count);
    Inputs dir;
    std::vector<std::string> args = {"base.txt", "abstract.txt", "flows.txt"};
    args.resize(count);
    RunResult run = runVeldmark(args, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(maskClock(run.out), start() + "argument(s) missing...");
    // Only a run without any file argument adds the usage line.
    EXPECT_EQ(run.err, count == 0 ? kUsageLine : "");
    EXPECT_EQ(dir.entries(), inputs);
    if (count == 0) continue;
    args.back() = "absent.txt";
    run = runVeldmark(args, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(maskClock(run.out), start());
    expectOneMessageLine(run, "veldmark: absent.txt: cannot open: ");
  }
  // Options without any file: the same console, the same usage line.
  Inputs dir;
  const RunResult optionsOnly = runVeldmark({"--no-progress", "--fit=f.csv"}, dir.path());
  EXPECT_EQ(optionsOnly.exitCode, 1);
  EXPECT_EQ(maskClock(optionsOnly.out), start() + "argument(s) missing...");
  EXPECT_EQ(optionsOnly.err, kUsageLine);
}

TEST(CommandLine, ThreeArgumentsWriteTheDefaultFileAndLaterOnesAreIgnored) {
  const std::vector<std::vector<std::string>> commandLines = {
      {}, {"trips.txt"}, {"trips.txt", "fifth.txt"}, {"trips.txt", "no/such/dir", "-h"}};
  for (std::vector<std::string> args : commandLines) {
    SCOPED_TRACE(args.size() + 3);
    Inputs dir;
    const std::string output = args.empty() ? "default_od_abs.txt" : "trips.txt";
    args.insert(args.begin(), {"base.txt", "abstract.txt", "flows.txt"});
    const RunResult run = runVeldmark(args, dir.path());
    EXPECT_EQ(run.exitCode, 0);
    const std::string ignored = args.size() == 5   ? "'fifth.txt'"
                                : args.size() == 6 ? "'no/such/dir' '-h'"
                                                   : "";
    EXPECT_EQ(run.err, ignored.empty()
                           ? ""
                           : "veldmark: warning: arguments after TRIPS ignored: " + ignored + "\n");
    const std::string defaultName =
        "\n   Clock\t\t# : Argument(s) missing...Default output file name used\n";
    EXPECT_EQ(maskClock(run.out),
              start() + kEstimation + (args.size() == 3 ? defaultName : "") + kFinish);
    EXPECT_EQ(readFile(dir.file(output)), kTable);
    EXPECT_EQ(dir.entries().size(), 4u);
  }
}

TEST(CommandLine, HelpAndVersionPrintOnlyTheirTextAndSucceed) {
  ScratchDir dir;
  const RunResult help = runVeldmark({"--help"}, dir.path());
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(help.out.rfind("Usage: veldmark [OPTION...] BASE ABSTRACT FLOWS [TRIPS]\n", 0), 0u);
  EXPECT_LE(std::count(help.out.begin(), help.out.end(), '\n'), 40);
  EXPECT_NE(help.out.find("man veldmark"), std::string::npos);
  EXPECT_NE(help.out.find("docs/veldmark.1"), std::string::npos);
  EXPECT_EQ(runVeldmark({"-h"}, dir.path()).out, help.out);
  const RunResult versionRun = runVeldmark({"--version"}, dir.path());
  EXPECT_EQ(versionRun.exitCode, 0);
  EXPECT_EQ(versionRun.err, "");
  const std::string number = version();
  EXPECT_EQ(versionRun.out, "veldmark " + number + "\n");
  EXPECT_EQ(number.find_first_not_of("0123456789."), std::string::npos) << number;
  EXPECT_EQ(std::count(number.begin(), number.end(), '.'), 2) << number;
  EXPECT_TRUE(fs::is_empty(dir.path()));
  // Among other options, and in either option form, they still answer alone.
  EXPECT_EQ(runVeldmark({"--no-progress", "--help", "x"}, dir.path()).out, help.out);
  EXPECT_EQ(runVeldmark({"--threads=2", "--version"}, dir.path()).out, versionRun.out);
}

// A bad option is one line on standard error naming
// it, with nothing on the console and no file written; "--" ends them, so a
// BASE whose name starts with "--" can still be given; "-x" is a file name.
TEST(CommandLine, OptionErrorsNameTheOptionAndDashDashEndsThem) {
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"--colour", "base.txt"}, "unknown option '--colour' (see veldmark --help)"},
      {{"--fit"}, "option '--fit' needs a value (see veldmark --help)"},
      {{"--no-progress=yes", "a"}, "option '--no-progress' takes no value (see veldmark --help)"},
      {{"--threads", "0", "a"}, "option '--threads' needs a whole number from 1 to 1024, not '0'"},
      {{"--threads=2x", "a"}, "option '--threads' needs a whole number from 1 to 1024, not '2x'"},
  };
  for (const auto& c : cases) {
    Inputs dir;
    const RunResult run = runVeldmark(c.args, dir.path());
    EXPECT_EQ(run.exitCode, 1) << c.args[0];
    EXPECT_EQ(run.out, "") << c.args[0];
    EXPECT_EQ(run.err, "veldmark: " + c.err + "\n");
    EXPECT_EQ(dir.entries().size(), 3u);
  }
  Inputs dir;
  dir.write("--base", linkFile(testing::kTwoZoneLinks));
  const RunResult ended = runVeldmark(
      {"--threads", "1", "--", "--base", "abstract.txt", "flows.txt", "t.txt"}, dir.path());
  EXPECT_EQ(ended.exitCode, 0) << ended.err;
  EXPECT_EQ(readFile(dir.file("t.txt")), kTable);
  const RunResult dash = runVeldmark({"-x", "abstract.txt", "flows.txt"}, dir.path());
  EXPECT_EQ(dash.err, "veldmark: -x: cannot open: No such file or directory\n");
}

// Options among and after the files are options (they were once dropped, or
// taken as the trip table's name); files after the fourth are named in a
// warning and otherwise ignored.
TEST(CommandLine, OptionsAfterTheFilesAreOptions) {
  Inputs dir;
  const RunResult after = runVeldmark(
      {"abstract.txt", "abstract.txt", "flows.txt", "t.txt", "--csv", "t.csv", "extra", "-y"},
      dir.path());
  EXPECT_EQ(after.exitCode, 0) << after.err;
  EXPECT_EQ(readFile(dir.file("t.txt")), kTable);
  EXPECT_TRUE(fs::exists(dir.file("t.csv")));
  EXPECT_EQ(after.err, "veldmark: warning: arguments after TRIPS ignored: 'extra' '-y'\n");
  Inputs second;
  const RunResult between =
      runVeldmark({"abstract.txt", "--csv=t.csv", "abstract.txt", "flows.txt"}, second.path());
  EXPECT_EQ(between.exitCode, 0) << between.err;
  EXPECT_TRUE(fs::exists(second.file("t.csv")));
  EXPECT_TRUE(fs::exists(second.file("default_od_abs.txt")));
  EXPECT_FALSE(fs::exists(second.file("--csv")));
  const RunResult unknown =
      runVeldmark({"abstract.txt", "abstract.txt", "flows.txt", "--colour"}, second.path());
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_EQ(unknown.out, "");
}

// --- Bad files -------------------------------------------------------------

std::string withCrlfEveryOtherLine(const std::string& text) {
  std::string mixed;
  int line = 0;
  for (char c : text) {
    if (c == '\n' && line++ % 2 == 0) mixed += '\r';
    mixed += c;
  }
  return mixed;
}

// 4 KiB of bytes of every value, newlines included, the same on every run.
std::string garbage() {
  std::mt19937 bits(20240611);
  std::string bytes(4096, '\0');
  for (char& byte : bytes) byte = static_cast<char>(bits() & 0xFF);
  return bytes;
}

std::string tenMegabytes() {
  return std::string(10 * 1024 * 1024, '7');
}

std::string because(int error) {
  return std::strerror(error);
}

enum Argument { kBase, kAbstract, kFlowFile, kTrips };

struct BadFileCase {
  const char* name;
  Argument argument;
  std::string value;         // odd.txt holds `content`; adirectory is a directory
  std::string (*content)();  // made when its case runs
  int exitCode;
  std::string message;  // part of the standard error line; "" for none
  std::string table;    // part of the trip table of a complete run
};

const BadFileCase kBadFiles[] = {
    {"base does not exist", kBase, "absent.txt", nullptr, 1,
     "absent.txt: cannot open: " + because(ENOENT), ""},
    {"flows do not exist", kFlowFile, "absent.txt", nullptr, 1,
     "absent.txt: cannot open: " + because(ENOENT), ""},
    {"abstract is a directory", kAbstract, "adirectory", nullptr, 1, "adirectory: is a directory",
     ""},
    {"empty base", kBase, "odd.txt", [] { return std::string(); }, 1,
     "odd.txt: no link lines (they start at line 9)", ""},
    {"empty flows floor every flow", kFlowFile, "odd.txt", [] { return std::string(); }, 0, "",
     "<TOTAL OD FLOW> 0.02\n"},
    {"abstract of six lines", kAbstract, "odd.txt",
     [] { return std::string("m\nm\nm\nm\nm\nm\n"); }, 1, "odd.txt: no link lines", ""},
    {"binary garbage base", kBase, "odd.txt", garbage, 1,
     "odd.txt:1: metadata line longer than 49 bytes", ""},
    {"a NUL in a link line", kAbstract, "odd.txt",
     [] { return linkFile(std::string("1 2\0 x\n2 1\n", 11)); }, 1,
     "odd.txt:9: NUL byte (not a text file, or a damaged one)", ""},
    {"a NUL before a flow value", kFlowFile, "odd.txt",
     [] { return flowFile(std::string("1 2 \0 5.0 0\n", 12)); }, 1,
     "odd.txt:7: NUL byte (not a text file, or a damaged one)", ""},
    {"10 MB link line", kAbstract, "odd.txt", [] { return linkFile("1 " + tenMegabytes() + "\n"); },
     1, "odd.txt:9: link line longer than 499 bytes", ""},
    {"10 MB flow line without a line end", kFlowFile, "odd.txt",
     [] { return flowFile(tenMegabytes()); }, 1, "odd.txt:7: flow line longer than 499 bytes", ""},
    {"mixed CRLF abstract", kAbstract, "odd.txt",
     [] { return withCrlfEveryOtherLine(linkFile(testing::kTwoZoneLinks)); }, 0, "", kTable},
    {"mixed CRLF flows", kFlowFile, "odd.txt",
     [] { return withCrlfEveryOtherLine(flowFile(testing::kTwoZoneFlows)); }, 0, "", kTable},
    {"flows name no abstract link", kFlowFile, "odd.txt",
     [] { return flowFile("3 4   9.0 0\n1 3   9.0 0\n"); }, 0, "", "<TOTAL OD FLOW> 0.02\n"},
    {"table in a missing directory", kTrips, "missing/trips.txt", nullptr, 1,
     "missing/trips.txt: cannot write: " + because(ENOENT), ""},
    {"table is a directory", kTrips, "adirectory", nullptr, 1,
     "adirectory: cannot write: " + because(EISDIR), ""},
    {"table to a full device", kTrips, "/dev/full", nullptr, 1,
     "/dev/full: cannot write: " + because(ENOSPC), ""},
};

// Input faults stop the run before the estimation; a trip table fault,
// found while writing, leaves the estimation and the finishing lines.
TEST(CommandLine, BadFilesEndWithTheirExitCodeAndMessage) {
  rlimit limit{};  // a run that loops is stopped by SIGXCPU
  getrlimit(RLIMIT_CPU, &limit);
  limit.rlim_cur = std::min<rlim_t>(limit.rlim_cur, 60);
  setrlimit(RLIMIT_CPU, &limit);
  for (const BadFileCase& row : kBadFiles) {
    SCOPED_TRACE(row.name);
    if (row.value == "/dev/full" && !fs::exists(row.value)) continue;
    Inputs dir;
    fs::create_directory(dir.file("adirectory"));
    if (row.content) dir.write("odd.txt", row.content());
    std::vector<std::string> args = {"base.txt", "abstract.txt", "flows.txt", "trips.txt"};
    args[row.argument] = row.value;
    const RunResult run = runVeldmark(args, dir.path());
    ASSERT_LT(run.exitCode, 128) << "killed by signal " << run.exitCode - 128;
    EXPECT_EQ(run.exitCode, row.exitCode);
    if (row.message.empty()) {
      EXPECT_EQ(testing::withoutWarnings(run.err), "");
    } else {
      expectOneMessageLine(run, row.message);
    }
    const bool toTheEnd = row.exitCode == 0 || row.argument == kTrips;
    EXPECT_EQ(maskClock(run.out).ends_with(kEstimation + kFinish), toTheEnd) << run.out;
    if (!row.table.empty()) {
      EXPECT_NE(readFile(dir.file("trips.txt")).find(row.table), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace veldmark
