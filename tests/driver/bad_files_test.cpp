// Bad files on the command line, through the built binary: each case puts
// one odd file (or path) in place of a good one and states the exit code, a
// part of the message on standard error (or none) and, for a complete run,
// a part of the trip table. No case may crash (a signal shows as an exit code
// of 128 or more) or hang (every run is limited in processor time).
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace veldmark {
namespace {

using testing::flowFile;
using testing::linkFile;
using testing::readFile;
using testing::RunResult;
using testing::runVeldmark;
using testing::ScratchDir;

// Two zones joined both ways, flows 5 and 7.
const std::string kLinks = "1 2 1 0 0 0 0 0 0 0\n2 1 1 0 0 0 0 0 0 0\n";
const std::string kFlows = "1 2   5.0 0\n2 1   7.0 0\n";
const std::string kTable =
    "<NUMBER OF ZONES> 2\n<TOTAL OD FLOW> 12\n<END OF METADATA>\n\n\n"
    "Origin \t1 \n    1 :      0.0;    2 :      5.0; \n\n"
    "Origin \t2 \n    1 :      7.0;    2 :      0.0; \n\n";

enum Argument { kBase = 0, kAbstract = 1, kFlowFile = 2, kTrips = 3 };

// Puts the odd file in the scratch directory; returns the argument naming it.
using Placer = std::function<std::string(const ScratchDir&)>;

// The content is made when the case runs, so that large files exist only
// in the process of their own case.
Placer file(std::function<std::string()> make) {
  return [make](const ScratchDir& dir) {
    dir.write("odd.txt", make());
    return std::string("odd.txt");
  };
}

Placer file(const std::string& content) {
  return file([content] { return content; });
}

Placer path(const std::string& name) {
  return [name](const ScratchDir&) { return name; };
}

Placer directory() {
  return [](const ScratchDir& dir) {
    std::filesystem::create_directory(dir.file("adirectory"));
    return std::string("adirectory");
  };
}

std::string lines(const std::string& text, int count) {
  std::string all;
  for (int i = 0; i < count; ++i) all += text + "\n";
  return all;
}

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
const std::string kNoSuchFile = "absent.txt: cannot open: " + std::string(std::strerror(ENOENT));

struct BadFileCase {
  const char* name;
  Argument argument;
  Placer place;
  int exitCode;
  std::string message;  // part of the stderr line; "" for an empty stderr
  std::string table;    // part of the trip table of a complete run
};

const BadFileCase kCases[] = {
    {"BaseDoesNotExist", kBase, path("absent.txt"), 1, kNoSuchFile, ""},
    {"FlowsDoNotExist", kFlowFile, path("absent.txt"), 1, kNoSuchFile, ""},
    {"AbstractIsADirectory", kAbstract, directory(), 1, "adirectory: is a directory", ""},
    {"EmptyBase", kBase, file(""), 1, "odd.txt: no link lines (they start at line 9)", ""},
    {"EmptyFlowsFloorEveryFlow", kFlowFile, file(""), 0, "", "<TOTAL OD FLOW> 0.02\n"},
    {"AbstractOfSixLines", kAbstract, file(lines("m", 6)), 1, "odd.txt: no link lines", ""},
    {"FlowsOfSixLinesFloorEveryFlow", kFlowFile, file(lines("m", 6)), 0, "",
     "<TOTAL OD FLOW> 0.02\n"},
    {"BinaryGarbageBase", kBase, file(garbage), 1,
     "odd.txt:1: metadata line longer than 49 characters", ""},
    {"BinaryGarbageFlows", kFlowFile, file(garbage), 1, "odd.txt:1: metadata line", ""},
    {"NulEndsALinkLine", kAbstract, file(linkFile(std::string("1 2\0 x\n2 1\n", 11))), 0, "",
     "<TOTAL OD FLOW> 12\n"},
    {"NulBeforeAFlowValue", kFlowFile, file(flowFile(std::string("1 2 \0 5.0 0\n", 12))), 1,
     "odd.txt:7: flow value expected", ""},
    {"NulsThroughoutBase", kBase, file(std::string(3000, '\0')), 1,
     "odd.txt:1: metadata line longer than 49 characters", ""},
    {"TenMegabyteMetadataLine", kBase, file([] { return tenMegabytes() + "\n"; }), 1,
     "odd.txt:1: metadata line longer than 49 characters", ""},
    {"TenMegabyteLinkLine", kAbstract, file([] { return linkFile("1 " + tenMegabytes() + "\n"); }),
     1, "odd.txt:9: link line longer than 499 characters", ""},
    {"TenMegabyteFlowLineWithoutLineEnd", kFlowFile, file([] { return flowFile(tenMegabytes()); }),
     1, "odd.txt:7: flow line longer than 499 characters", ""},
    {"MixedCrlfBase", kBase, file(withCrlfEveryOtherLine(linkFile(kLinks))), 0, "", kTable},
    {"MixedCrlfAbstract", kAbstract, file(withCrlfEveryOtherLine(linkFile(kLinks))), 0, "", kTable},
    {"MixedCrlfFlows", kFlowFile, file(withCrlfEveryOtherLine(flowFile(kFlows))), 0, "", kTable},
    {"FlowsNameNoAbstractLink", kFlowFile, file(flowFile("3 4   9.0 0\n1 3   9.0 0\n")), 0, "",
     "<TOTAL OD FLOW> 0.02\n"},
    {"TableInAMissingDirectory", kTrips, path("missing/trips.txt"), 1,
     "missing/trips.txt: cannot write: " + std::string(std::strerror(ENOENT)), ""},
    {"TableIsADirectory", kTrips, directory(), 1,
     "adirectory: cannot write: " + std::string(std::strerror(EISDIR)), ""},
    {"TableToAFullDevice", kTrips, path("/dev/full"), 1,
     "/dev/full: cannot write: " + std::string(std::strerror(ENOSPC)), ""},
};

void PrintTo(const BadFileCase& row, std::ostream* out) {
  *out << row.name;
}

class BadFile : public ::testing::TestWithParam<BadFileCase> {
 protected:
  // A run that loops is stopped by SIGXCPU, which the checks below report.
  static void SetUpTestSuite() {
    rlimit limit{};
    getrlimit(RLIMIT_CPU, &limit);
    limit.rlim_cur = std::min<rlim_t>(limit.rlim_cur, 60);
    setrlimit(RLIMIT_CPU, &limit);
  }
};

TEST_P(BadFile, EndsWithItsExitCodeAndMessage) {
  const BadFileCase& row = GetParam();
  if (row.name == std::string("TableToAFullDevice") && !std::filesystem::exists("/dev/full")) {
    GTEST_SKIP() << "no /dev/full";
  }
  ScratchDir dir;
  dir.write("base.txt", linkFile(kLinks));
  dir.write("abstract.txt", linkFile(kLinks));
  dir.write("flows.txt", flowFile(kFlows));
  std::vector<std::string> args = {"base.txt", "abstract.txt", "flows.txt", "trips.txt"};
  args[row.argument] = row.place(dir);

  const RunResult run = runVeldmark(args, dir.path());

  ASSERT_LT(run.exitCode, 128) << "killed by signal " << run.exitCode - 128;
  EXPECT_EQ(run.exitCode, row.exitCode);
  if (row.message.empty()) {
    EXPECT_EQ(run.err, "");
  } else {
    EXPECT_EQ(run.err.rfind("veldmark: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(row.message), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  // Input faults stop the run early; only a trip table fault, found while
  // writing, leaves the finishing lines in place.
  const bool reachedTheEnd = run.out.find(" : Finishing\n") != std::string::npos;
  EXPECT_EQ(reachedTheEnd, row.exitCode == 0 || row.argument == kTrips) << run.out;
  if (!row.table.empty()) {
    EXPECT_NE(readFile(dir.file("trips.txt")).find(row.table), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, BadFile, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<BadFileCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace veldmark
