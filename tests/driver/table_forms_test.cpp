// --csv and --omx on Sioux Falls: the console and the trip table file stay
// as they are without the options, the CSV and OMX tables hold the same
// pairs as the trip table file and agree with it to its printed precision,
// with each other to the bit; a writer that fails is one message and exit 1.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "formats/reference_table.h"
#include "support/test_support.h"

namespace veldmark {
namespace {

using testing::maskClock;
using testing::readFile;
using testing::RunResult;
using testing::runVeldmark;
using testing::ScratchDir;
using testing::withoutWarnings;

const std::string kNetwork = VELDMARK_SOURCE_DIR "/tests/data/tntp-siouxfalls/veldmark/";
const std::vector<std::string> kInputs = {kNetwork + "base.txt", kNetwork + "abstract.txt",
                                          kNetwork + "flows.txt"};

RunResult run(std::vector<std::string> options, const std::string& trips, const ScratchDir& dir) {
  options.insert(options.end(), kInputs.begin(), kInputs.end());
  options.push_back(trips);
  return runVeldmark(options, dir.path());
}

TEST(TableForms, CsvAndOmxAgreeWithTheTripTableFile) {
  ScratchDir dir;
  const RunResult plain = run({}, "plain.txt", dir);
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  const RunResult forms = run({"--csv", "t.csv", "--omx=t.omx"}, "forms.txt", dir);
  ASSERT_EQ(forms.exitCode, 0) << forms.err;
  EXPECT_EQ(withoutWarnings(forms.err), "");
  EXPECT_EQ(forms.err, plain.err);
  EXPECT_EQ(maskClock(forms.out), maskClock(plain.out));
  EXPECT_EQ(readFile(dir.file("forms.txt")), readFile(dir.file("plain.txt")));

  ZoneTable file, csv, omx;
  ASSERT_TRUE(readReferenceTable(dir.file("forms.txt"), file).ok());
  ASSERT_TRUE(readReferenceTable(dir.file("t.csv"), csv).ok());
  ASSERT_TRUE(readReferenceTable(dir.file("t.omx"), omx).ok());
  EXPECT_EQ(file.zones.size(), 24u);
  EXPECT_EQ(csv.zones, file.zones);
  EXPECT_EQ(omx.zones, file.zones);
  EXPECT_EQ(omx.values, csv.values);
  ASSERT_EQ(csv.values.size(), file.values.size());
  double total = 0.0;
  for (std::size_t k = 0; k < csv.values.size(); ++k) {
    EXPECT_LE(std::fabs(csv.values[k] - file.values[k]), 0.05 + 1e-9) << k;
    EXPECT_GE(csv.values[k], 0.0);
    total += csv.values[k];
  }
  EXPECT_GT(total, 0.0);
}

TEST(TableForms, AWriterThatFailsIsOneMessageAndExitOne) {
  ScratchDir dir;
  const RunResult plain = run({}, "plain.txt", dir);
  const RunResult failed = run({"--csv", "no/t.csv", "--omx", "none/t.omx"}, "trips.txt", dir);
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_EQ(withoutWarnings(failed.err),
            "veldmark: no/t.csv: cannot write: No such file or directory\n"
            "veldmark: none/t.omx: cannot write: No such file or directory\n");
  EXPECT_EQ(maskClock(failed.out), maskClock(plain.out));
  EXPECT_EQ(readFile(dir.file("trips.txt")), readFile(dir.file("plain.txt")));
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    left.push_back(entry.path().filename());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"plain.txt", "trips.txt"}));
}

}  // namespace
}  // namespace veldmark
