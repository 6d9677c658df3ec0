// The veldmark-convert program end to end: Sioux Falls from TNTP and from a
// CSV export estimates to the same trip table file, byte for byte, as the
// same network in Veldmark's formats; the table goes out as CSV and OMX; every
// bad input is one line on standard error and leaves nothing behind.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "formats/reference_table.h"
#include "support/test_support.h"

namespace veldmark {
namespace {

using testing::readFile;
using testing::runBinary;
using testing::RunResult;
using testing::runVeldmark;
using testing::ScratchDir;

namespace fs = std::filesystem;

const std::string kData = VELDMARK_SOURCE_DIR "/tests/data/tntp-siouxfalls/";

RunResult convert(const std::vector<std::string>& args, const std::string& dir) {
  return runBinary(VELDMARK_CONVERT_BINARY, args, dir);
}

// Estimates the network in `dir`/`folder` into `dir`/`folder`.trips.txt and
// returns that file.
std::string estimate(const ScratchDir& dir, const std::string& folder) {
  const std::string in = dir.file(folder) + "/";
  const RunResult run = runVeldmark(
      {in + "base.txt", in + "abstract.txt", in + "flows.txt", folder + ".trips.txt"}, dir.path());
  EXPECT_EQ(run.exitCode, 0) << run.err;
  return readFile(dir.file(folder + ".trips.txt"));
}

// Calls write(k, from, to, third) for each line k of the file at `path`
// after its first `skip` lines, with its first three fields.
template <typename Write>
void eachDataLine(const std::string& path, int skip, Write write) {
  std::ifstream file(path);
  std::string line;
  for (int k = 0; std::getline(file, line); ++k) {
    if (k < skip) continue;
    std::istringstream fields(line);
    std::string from, to, third;
    fields >> from >> to >> third;
    write(k, from, to, third);
  }
}

// The Sioux Falls links as a GMNS link table with quoted names, extra
// columns and CRLF; the flows as a counts table with the columns reordered.
void writeCsvExport(const ScratchDir& dir) {
  std::ostringstream links;
  links << "link_id,name,from_node_id,to_node_id,\"length, km\"\r\n";
  eachDataLine(kData + "veldmark/base.txt", 8, [&](int k, auto& from, auto& to, auto& capacity) {
    links << k << ",\"Road \"\"" << k << "\"\", east\"," << from << "," << to << "," << capacity
          << "\r\n";
  });
  std::ostringstream counts;
  counts << "station,to_node_id,from_node_id,aadt\n";
  eachDataLine(kData + "veldmark/flows.txt", 6, [&](int k, auto& from, auto& to, auto& flow) {
    counts << "\"S" << k << "\"," << to << "," << from << "," << flow << "\n";
  });
  dir.write("link.csv", links.str());
  dir.write("counts.csv", counts.str());
}

TEST(ConvertProgram, SiouxFallsFromTntpAndCsvEstimatesLikeVeldmarksOwnFiles) {
  ScratchDir dir;
  fs::copy(kData + "veldmark", dir.file("own"));
  const std::string expected = estimate(dir, "own");
  ASSERT_FALSE(expected.empty());

  RunResult run =
      convert({"tntp", kData + "SiouxFalls_net.tntp", kData + "SiouxFalls_flow.tntp", "from-tntp"},
              dir.path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "from-tntp: base.txt 76 links, abstract.txt 76 links, flows.txt\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(estimate(dir, "from-tntp"), expected);

  writeCsvExport(dir);
  run =
      convert({"--count-column", "aadt", "csv", "link.csv", "counts.csv", "from-csv"}, dir.path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(estimate(dir, "from-csv"), expected);
}

// The trip table file converted to CSV and OMX agrees with it to its
// printed precision; the TNTP trip table keeps its total.
TEST(ConvertProgram, TablesGoOutAsCsvAndOmx) {
  ScratchDir dir;
  fs::copy(kData + "veldmark", dir.file("own"));
  estimate(dir, "own");
  ReferenceTable file;
  ASSERT_TRUE(readReferenceTable(dir.file("own.trips.txt"), file).ok());
  for (const char* out : {"t.csv", "t.OMX"}) {
    const RunResult run = convert({"table", "own.trips.txt", out}, dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ReferenceTable table;
    ASSERT_TRUE(readReferenceTable(dir.file(out), table).ok());
    EXPECT_EQ(table.zones, file.zones);
    EXPECT_EQ(table.values, file.values);
  }
  const RunResult run =
      convert({"tntp-trips", kData + "SiouxFalls_trips.tntp", "r.omx"}, dir.path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ReferenceTable table;
  ASSERT_TRUE(readReferenceTable(dir.file("r.omx"), table).ok());
  double total = 0.0;
  for (const auto& entry : table.values) total += entry.second;
  EXPECT_EQ(table.values.size(), 576u);
  EXPECT_EQ(total, 360600.0);
}

// Every bad command line or input: exit 1, one line on standard error that
// names the file (and line), nothing on standard output, and the scratch
// directory as it was (no output directory, no temporary left).
TEST(ConvertProgram, EveryBadInputIsOneLineAndLeavesNothingBehind) {
  ScratchDir dir;
  dir.write("net.tntp", "<END OF METADATA>\n1 2 ;\n2 1 ;\n");
  dir.write("flow.tntp", "1 2 5 0\n");
  dir.write("links.csv", "from_node_id,to_node_id\n1,2\n");
  dir.write("counts.csv", "from_node_id,to_node_id,count\n1,2,\"5\n");
  dir.write("trips.txt", "Origin 1\n1 : x;\n");
  fs::create_directory(dir.file("full"));
  dir.write("full/keep", "");
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{}, "a COMMAND is needed (see --help)"},
      {{"merge"}, "unknown command merge (see --help)"},
      {{"--bogus", "tntp"}, "unknown option --bogus (see --help)"},
      {{"csv", "--count-column"}, "--count-column needs a NAME"},
      {{"tntp", "net.tntp", "flow.tntp"}, "tntp takes NET.tntp FLOW.tntp OUTDIR"},
      {{"table", "trips.txt"}, "table takes TRIPS OUT.csv|OUT.omx"},
      {{"tntp", "net.tntp", "flow.tntp", "out"},
       "net.tntp:3: link from 2 to 1 has no flow in flow.tntp"},
      {{"tntp", "net.tntp", "missing.tntp", "out"},
       "missing.tntp: cannot open: No such file or directory"},
      {{"csv", "links.csv", "counts.csv", "out"},
       "counts.csv:2: malformed quoted field (a quote inside a field must be doubled, and a "
       "quoted field must be closed)"},
      {{"tntp", kData + "SiouxFalls_net.tntp", kData + "SiouxFalls_flow.tntp", "full"},
       "full: exists and is not empty"},
      {{"tntp", kData + "SiouxFalls_net.tntp", kData + "SiouxFalls_flow.tntp", "net.tntp"},
       "net.tntp: exists and is not a directory"},
      {{"tntp", kData + "SiouxFalls_net.tntp", kData + "SiouxFalls_flow.tntp", "no/such/out"},
       "no/such/out: cannot write: No such file or directory"},
      {{"table", "trips.txt", "t.csv"}, "trips.txt:2: value is not a number"},
      {{"table", "trips.txt", "t.xlsx"}, "t.xlsx: the output name must end in .csv or .omx"},
      {{"tntp-trips", "trips.txt", "t.omx"}, "trips.txt: no <NUMBER OF ZONES> line"},
  };
  const auto listing = [&] {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
      names.push_back(entry.path().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> before = listing();
  for (const auto& c : cases) {
    const RunResult run = convert(c.args, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "veldmark-convert: " + c.message + "\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(listing(), before) << c.message;
  }
}

TEST(ConvertProgram, HelpVersionAndAnEmptyOutputDirectory) {
  ScratchDir dir;
  const RunResult help = convert({"--help"}, dir.path());
  EXPECT_EQ(help.exitCode, 0);
  for (const char* word :
       {"tntp NET.tntp", "csv LINKS.csv", "table TRIPS.txt", "tntp-trips", "--count-column NAME"}) {
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  }
  EXPECT_EQ(convert({"--version"}, dir.path()).out.rfind("veldmark-convert ", 0), 0u);
  fs::create_directory(dir.file("empty"));
  const RunResult run =
      convert({"tntp", kData + "SiouxFalls_net.tntp", kData + "SiouxFalls_flow.tntp", "empty/"},
              dir.path());
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(fs::exists(dir.file("empty/flows.txt")));
  EXPECT_EQ(fs::status(dir.file("empty")).permissions() & fs::perms::owner_all,
            fs::perms::owner_all);
}

}  // namespace
}  // namespace veldmark
