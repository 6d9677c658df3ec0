// The reference table reader: the same table in all four layouts, each found
// by its content, reads back as the same dense table, also from a pipe; bad
// and damaged inputs (NUL bytes, CR-only line ends, tables cut short, TNTP
// metadata that lies, ambiguous CSV headers) are named with their line.
#include "formats/reference_table.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <sstream>
#include <thread>

#include "formats/csv_table_writer.h"
#include "formats/omx_file.h"
#include "output/trip_table_writer.h"
#include "support/test_support.h"

namespace veldmark {
namespace {

using testing::ScratchDir;

// Reads `path` through a pipe (as `--reference <(cat path)` would).
Status readThroughPipe(const std::string& path, ZoneTable& table) {
  int ends[2];
  if (pipe(ends) != 0) return Status{"no pipe"};
  std::thread writer([&] {
    const std::string content = testing::readFile(path);
    std::size_t done = 0;
    while (done < content.size()) {
      const ssize_t wrote = write(ends[1], content.data() + done, content.size() - done);
      if (wrote <= 0) break;
      done += static_cast<std::size_t>(wrote);
    }
    close(ends[1]);
  });
  const std::string name = "/dev/fd/" + std::to_string(ends[0]);
  // The name keeps the layout's extension out, as <(...) does.
  const Status status = readReferenceTable(name, table);
  writer.join();
  close(ends[0]);
  return status;
}

TEST(ReferenceTable, EveryLayoutFoundByContentReadsBackTheSameTable) {
  // Three zones 30, 10, 20 in base order; values that the trip table file
  // rounds to one decimal.
  const std::vector<NodeId> zoneList = {10, 20, 30};
  const std::vector<NodeId> baseNodes = {30, 10, 20};
  const std::vector<std::uint8_t> flags = {1, 1, 1};
  DenseMatrix trips;
  ASSERT_TRUE(allocateSquareMatrix(trips, 3));
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) trips[i][j] = i == j ? 0.0 : 100.0 * i + j / 7.0;
  }
  ZoneTable exact;
  exact.zones = baseNodes;
  for (const int i : {2, 0, 1}) {
    for (const int j : {2, 0, 1}) exact.values.push_back(trips[i][j]);
  }
  ScratchDir dir;
  ASSERT_TRUE(writeTripTable(dir.file("trips.txt"), trips, zoneList, baseNodes, flags).ok());
  ASSERT_TRUE(writeCsvTable(dir.file("long.txt"), exact).ok());
  ASSERT_TRUE(writeOmxTable(dir.file("matrix.dat"), exact).ok());
  dir.write("tntp.tntp",
            "<NUMBER OF ZONES> 30\n<END OF METADATA>\n\nOrigin 30\n30 : 0.0; 10:200;20 : "
            "200.14285714285714;\n~ comment\nOrigin 10\n30 : 0.2857142857142857;\n10 : 0;20 : "
            "0.14285714285714285;\nOrigin 20\n30 : 100.28571428571429; 10 : 100 ; 20 : 0 ;\n");

  for (const char* name : {"trips.txt", "long.txt", "matrix.dat", "tntp.tntp"}) {
    ZoneTable table;
    ASSERT_TRUE(readReferenceTable(dir.file(name), table).ok()) << name;
    const std::string file = name;
    // TNTP zones are 1..N: zone z sits at z - 1.
    const auto at = [&](int i, int j) {
      if (file != "tntp.tntp") return table.at(i, j);
      return table.at(exact.zones[i] - 1, exact.zones[j] - 1);
    };
    if (file == "tntp.tntp") {
      EXPECT_EQ(table.zones.size(), 30u);
      EXPECT_EQ(table.at(0, 0), 0.0);  // zone 1: named by no entry
    } else {
      EXPECT_EQ(table.zones, exact.zones) << name;
    }
    ASSERT_EQ(table.values.size(), table.zones.size() * table.zones.size());
    const double tolerance = file == "trips.txt" ? 0.05 : 0.0;  // printed to one decimal
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) {
        EXPECT_LE(std::fabs(at(i, j) - exact.at(i, j)), tolerance) << name << i << j;
      }
    }
    // Read once: the same file through a pipe gives the same table (a TNTP
    // table is known by its name, which a pipe does not have).
    if (file == "tntp.tntp") continue;
    ZoneTable piped;
    ASSERT_TRUE(readThroughPipe(dir.file(name), piped).ok()) << name;
    EXPECT_EQ(piped.zones, table.zones);
    EXPECT_EQ(piped.values, table.values);
  }
}

// A long CSV table in file order of first appearance, its header in any
// case and with a byte order mark; a TNTP table with a byte order mark and
// a total that agrees within its rounding.
TEST(ReferenceTable, HeadersAndMetadataThatHold) {
  ScratchDir dir;
  ZoneTable table;
  ASSERT_TRUE(readReferenceTable(dir.write("a.csv",
                                           "\xEF\xBB\xBFvolume,D_ZONE_ID,o_zone_id\n"
                                           "2.5,7,9\n1,9,7\n"),
                                 table)
                  .ok());
  EXPECT_EQ(table.zones, (std::vector<NodeId>{9, 7}));
  EXPECT_EQ(table.values, (std::vector<double>{0, 2.5, 1, 0}));
  ASSERT_TRUE(readReferenceTable(dir.write("b.tntp",
                                           "\xEF\xBB\xBF<NUMBER OF ZONES> 2\n"
                                           "<TOTAL OD FLOW> 4\n<END OF METADATA>\n"
                                           "Origin 1\n2 : 1.7;\nOrigin 2\n1 : 2.4;\n"),
                                 table)
                  .ok());
  EXPECT_EQ(table.values, (std::vector<double>{0, 1.7, 2.4, 0}));
}

TEST(ReferenceTable, BadOriginBlocksAndTablesAreNamedWithTheirLine) {
  ScratchDir dir;
  const struct {
    const char* name;
    const char* text;
    const char* message;  // after the path
  } cases[] = {
      {"a.tntp", "<END OF METADATA>\nOrigin 1\n1 : 2;\n", ": no <NUMBER OF ZONES> line"},
      {"b.tntp", "<NUMBER OF ZONES> 2\n<END OF METADATA>\nOrigin 1\n3 : 2;\n",
       ":4: zone 3 outside 1..2"},
      {"c.txt", "<NUMBER OF ZONES> 2\n<END OF METADATA>\n1 : 2;\n",
       ":3: entry before any Origin line"},
      {"d.txt", "Origin 1\n1 : 2; 1 : 3;\n", ":2: pair 1 to 1 given twice"},
      {"e.txt", "Origin 1\n1 : two;\n", ":2: value is not a number"},
      {"f.txt", "Origin 1\n1 2;\n", ":2: entry \"destination : value\" expected"},
      {"g.txt", "Origin\n", ":1: \"Origin N\" expected"},
      {"h.csv", "o_zone_id,d_zone_id\n1,2\n",
       ":1: no column volume in the header (its columns: o_zone_id, d_zone_id)"},
      {"i.csv", "o_zone_id,d_zone_id,volume\n1,2,3\n1,2,4\n", ":3: pair 1 to 2 given twice"},
      {"j.csv", "o_zone_id,d_zone_id,volume\n1,x,3\n", ":2: zone ids must be whole numbers"},
      {"k.dat", "neither blocks nor a table\n", ": not a trip table in a known layout"},
      {"l.csv", "o_zone_id,d_zone_id,Volume,volume\n1,2,3,4\n",
       ":1: column volume is named twice in the header"},
      {"m.csv", "o_zone_id,d_zone_id,volume\n1,2,-3\n", ":2: value is negative"},
      {"n.txt", "Origin 1\n1 : inf;\n", ":2: value is not a finite number"},
      {"p.txt", "Origin 1\r2 : 3;\r1 : 4;\r",
       ":1: lines end with a CR alone; convert the line ends to LF"},
      // TNTP tables cut short or whose metadata does not hold.
      {"q.tntp", "<NUMBER OF ZONES> 2\n<END OF METADATA>\n",
       ": no Origin block (the table is cut short after its header)"},
      {"r.tntp", "<NUMBER OF ZONES> 3\n<END OF METADATA>\nOrigin 1\n2 : 5;\n",
       ": <NUMBER OF ZONES> is 3 but no zone above 2 is named (is the table cut short?)"},
      {"s.tntp",
       "<NUMBER OF ZONES> 2\n<TOTAL OD FLOW> 12.0\n<END OF METADATA>\nOrigin 1\n2 : 5;\n"
       "Origin 2\n1 : 3;\n",
       ": <TOTAL OD FLOW> is 12.0 but the entries sum to 8 (is the table cut short?)"},
      {"t.tntp", "<NUMBER OF ZONES> 2.5\n<END OF METADATA>\nOrigin 1\n",
       ": <NUMBER OF ZONES> is not a whole number"},
      // A column name holding a line break is shown escaped: the message stays one line.
      {"u.csv", "\"o_zone\nid\",d_zone_id\n1,2\n",
       ":1: no column o_zone_id in the header (its columns: 'o_zone\\x0Aid', d_zone_id)"},
  };
  for (const auto& c : cases) {
    ZoneTable table;
    const std::string path = dir.write(c.name, c.text);
    const std::string message = readReferenceTable(path, table).message;
    EXPECT_EQ(message, path + c.message);
  }
  // A NUL byte is damage, never the end of a number ("3<NUL>9" is not 3).
  ZoneTable table;
  const std::string nul =
      dir.write("nul.csv", std::string("o_zone_id,d_zone_id,volume\n3") + '\0' + "9,1,2\n");
  EXPECT_EQ(readReferenceTable(nul, table).message,
            nul + ":2: NUL byte (not a text file, or a damaged one)");
}

}  // namespace
}  // namespace veldmark
