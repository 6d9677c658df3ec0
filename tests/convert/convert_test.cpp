// The veldmark-convert program end to end: Sioux Falls from TNTP and from a
// CSV export estimates to the same trip table file, byte for byte, as the
// same network in Veldmark's formats; the table goes out as CSV and OMX; every
// bad input is one line on standard error and leaves nothing behind.
#include <gtest/gtest.h>

#include <algorithm>
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

// The exit code of veldmark on the network in `dir`/`folder`.
int estimateExitCode(const ScratchDir& dir, const std::string& folder) {
  const std::string in = dir.file(folder) + "/";
  return runVeldmark({in + "base.txt", in + "abstract.txt", in + "flows.txt", folder + ".t.txt"},
                     dir.path())
      .exitCode;
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
  EXPECT_EQ(run.out,
            "from-tntp: base.txt 76 links, abstract.txt 76 links, flows.txt, zones.txt 24 zones "
            "(first thru node 1: routes may pass through zones, --through-zones applies)\n");
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
  ZoneTable file;
  ASSERT_TRUE(readReferenceTable(dir.file("own.trips.txt"), file).ok());
  for (const char* out : {"t.csv", "t.OMX"}) {
    const RunResult run = convert({"table", "own.trips.txt", out}, dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ZoneTable table;
    ASSERT_TRUE(readReferenceTable(dir.file(out), table).ok());
    EXPECT_EQ(table.zones, file.zones);
    EXPECT_EQ(table.values, file.values);
  }
  const RunResult run =
      convert({"tntp-trips", kData + "SiouxFalls_trips.tntp", "r.omx"}, dir.path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ZoneTable table;
  ASSERT_TRUE(readReferenceTable(dir.file("r.omx"), table).ok());
  double total = 0.0;
  for (double value : table.values) total += value;
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
  fs::create_symlink("trips.txt", dir.file("trips.txt.csv"));
  dir.write("bad-count.csv", "from_node_id,to_node_id,count\n1,2,5\n3,1,4\n");
  dir.write("novolume.tntp", "From To Cost\n1 2 5\n");
  dir.write("crlinks.tntp", "<NUMBER OF LINKS> 2\r<END OF METADATA>\r1 2 ;\r2 1 ;\r");
  dir.write("nul.tntp", std::string("<END OF METADATA>\n1 2 3") + '\0' + "9 ;\n");
  dir.write("links.5.tntp", "<NUMBER OF LINKS> 2.5\n<END OF METADATA>\n1 2 ;\n2 1 ;\n");
  dir.write("links3.tntp", "<NUMBER OF LINKS> 3\n<END OF METADATA>\n1 2 ;\n2 1 ;\n");
  dir.write("huge.tntp", "<NUMBER OF ZONES> 200000\n<END OF METADATA>\nOrigin 1\n2 : 5;\n");
  dir.write("claims.tntp", "<NUMBER OF ZONES> 2000\n<END OF METADATA>\nOrigin 1\n2 : 5;\n");
  dir.write("cut.tntp",
            "<NUMBER OF ZONES> 2\n<TOTAL OD FLOW> 20\n<END OF METADATA>\n"
            "Origin 1\n2 : 5;\nOrigin 2\n");
  dir.write("upper.csv", "FROM_NODE_ID,to_node_id,volume\n1,2,5\n");
  fs::create_directory(dir.file("full"));
  dir.write("full/keep", "");
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{}, "a COMMAND is needed (see --help)"},
      {{"merge"}, "unknown command merge (see --help)"},
      {{"tntp", "--bogus"}, "unknown option '--bogus' (see veldmark-convert --help)"},
      {{"csv", "--count-column"},
       "option '--count-column' needs a value (see veldmark-convert --help)"},
      {{"tntp", "net.tntp"}, "tntp takes NET.tntp [FLOW.tntp|COUNTS.csv] OUTDIR"},
      {{"tntp", "net.tntp", "flow.tntp", "out", "more"},
       "tntp takes NET.tntp [FLOW.tntp|COUNTS.csv] OUTDIR"},
      {{"table", "trips.txt", "trips.txt.csv"},
       "OUT 'trips.txt.csv' is the same file as TRIPS 'trips.txt': an output never replaces an "
       "input or another output"},
      {{"tntp", "net.tntp", "bad-count.csv", "out"},
       "bad-count.csv:3: no link from 3 to 1 in net.tntp"},
      {{"tntp", "net.tntp", "novolume.tntp", "out"},
       "novolume.tntp:1: the header line names no Volume column: \"From To Cost\""},
      {{"tntp", "crlinks.tntp", "out"},
       "crlinks.tntp:1: lines end with a CR alone; convert the line ends to LF"},
      {{"tntp", "nul.tntp", "out"}, "nul.tntp:2: NUL byte (not a text file, or a damaged one)"},
      {{"tntp", "links.5.tntp", "out"}, "links.5.tntp: <NUMBER OF LINKS> is not a whole number"},
      {{"tntp", "links3.tntp", "out"}, "links3.tntp: <NUMBER OF LINKS> is 3 but 2 links were read"},
      // A 4-line table claiming 200,000 zones: 320 GB of cells, out of memory;
      // a smaller false claim is named.
      {{"tntp-trips", "huge.tntp", "t.omx"}, "out of memory"},
      {{"tntp-trips", "claims.tntp", "t.omx"},
       "claims.tntp: <NUMBER OF ZONES> is 2000 but no zone above 2 is named (is the table cut "
       "short?)"},
      {{"tntp-trips", "cut.tntp", "t.csv"},
       "cut.tntp: <TOTAL OD FLOW> is 20 but the entries sum to 5 (is the table cut short?)"},
      {{"tntp", "net.tntp", "upper.csv", "out"},
       "upper.csv:1: no column count in the header (its columns: FROM_NODE_ID, to_node_id, "
       "volume); name the count column with --count-column"},
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
#if defined(__SANITIZE_ADDRESS__)
    // The address sanitizer aborts on an allocation it cannot make, where
    // the program itself reports it: the 200,000-zone claim is left out.
    if (c.message == "out of memory") continue;
#endif
    const RunResult run = convert(c.args, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "veldmark-convert: " + c.message + "\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(listing(), before) << c.message;
  }
}

// A TNTP network alone, or with counts for a subset of its links; options
// after the files; every TNTP attribute kept; zones.txt and whether routes
// pass through zones; metadata that says "unknown" (-1) and a byte order
// mark accepted; a file name with a newline kept within its metadata line.
TEST(ConvertProgram, TntpNetworkAloneOrWithCounts) {
  ScratchDir dir;
  const std::string net = dir.write(
      "odd\nname.tntp",
      "\xEF\xBB\xBF<NUMBER OF ZONES> 2\n<FIRST THRU NODE> 3\n<NUMBER OF LINKS> -1\n"
      "<END OF METADATA>\n~ a b capacity length fft b power speed toll type ;\n"
      "1 3 900 1.5 2 0.15 4 50 7 1 ;\n3 2 800 2.5 3 0.15 4 60 0 2 ;\n3 2 700 2 4 0.15 4 40 0 2 ;\n"
      "2 1 500 1 1 0.15 4 30 0 3 ;\n");
  RunResult run = convert({"tntp", net, "alone"}, dir.path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out,
            "alone: base.txt 4 links, zones.txt 2 zones (first thru node 3: routes do not pass "
            "through zones)\n");
  EXPECT_EQ(readFile(dir.file("alone/zones.txt")),
            "# zones 1 to 2 of 'odd\\x0Aname.tntp' (<NUMBER OF ZONES>)\n1\n2\n");
  EXPECT_FALSE(fs::exists(dir.file("alone/abstract.txt")));
  const std::string base = readFile(dir.file("alone/base.txt"));
  EXPECT_EQ(std::count(base.begin(), base.end(), '\n'), 8 + 4);  // 7 metadata lines, a header
  EXPECT_NE(base.find("from 'odd\\x0Aname.tntp'\n"), std::string::npos) << base;
  EXPECT_NE(base.find("\n1 3 900 1.5 2 0.15 4 50 7 1\n"), std::string::npos);

  // Counts for the second parallel link pair and one more link, columns in
  // any case and order; the option after the files.
  dir.write("c.txt", "To_Node_Id,from_node_id,aadt\n2,3,10\n2,3,20\n1,2,5\n");
  run = convert({"tntp", net, "c.txt", "counted", "--count-column=AADT"}, dir.path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out,
            "counted: base.txt 4 links, abstract.txt 3 links, flows.txt, zones.txt 2 zones (first "
            "thru node 3: routes do not pass through zones)\n");
  const std::string abstract = readFile(dir.file("counted/abstract.txt"));
  EXPECT_NE(abstract.find("\n3 2 800 2.5 3 0.15 4 60 0 2\n3 2 700 2 4 0.15 4 40 0 2\n"
                          "2 1 500 1 1 0.15 4 30 0 3\n"),
            std::string::npos)
      << abstract;
  const std::string flows = readFile(dir.file("counted/flows.txt"));
  EXPECT_NE(flows.find("\n3 2   10 0   20 0\n2 1   5 0\n"), std::string::npos) << flows;
  EXPECT_EQ(estimateExitCode(dir, "counted"), 0);
}

// Many links and counts: each count finds its link in constant time, and the
// parallel links take their counts in order (10,000 pairs, every third with
// a second link).
TEST(ConvertProgram, ManyLinksAndCountsMatchInOrder) {
  ScratchDir dir;
  std::string net = "<NUMBER OF LINKS> -1\n<END OF METADATA>\n";
  std::string counts = "from_node_id,to_node_id,count\n";
  std::string expected;
  for (int k = 1; k <= 10000; ++k) {
    const std::string ends = std::to_string(k) + " " + std::to_string(k + 1);
    net += ends + " 1 1 1 0 0 0 0 0 ;\n";
    if (k % 3 == 0) net += ends + " 2 2 2 0 0 0 0 0 ;\n";
    counts += std::to_string(k) + "," + std::to_string(k + 1) + "," + std::to_string(k) + "\n";
    if (k % 3 == 0) counts += std::to_string(k) + "," + std::to_string(k + 1) + ",0.5\n";
    expected += ends + "   " + std::to_string(k) + " 0" + (k % 3 == 0 ? "   0.5 0" : "") + "\n";
  }
  dir.write("big.tntp", net);
  dir.write("big.csv", counts);
  const RunResult run = convert({"tntp", "big.tntp", "big.csv", "out"}, dir.path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string flows = readFile(dir.file("out/flows.txt"));
  EXPECT_EQ(flows.substr(flows.find("from to   flow second\n") + 22), expected);
}

TEST(ConvertProgram, HelpVersionAndAnEmptyOutputDirectory) {
  ScratchDir dir;
  EXPECT_EQ(convert({"-h"}, dir.path()).exitCode, 0);
  const RunResult help = convert({"tntp", "--help"}, dir.path());
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
