// The reference table reader: the same table in all four layouts, each found
// by its content, reads back as the same zones and values; the origin-block
// layouts' bad inputs are named with their line.
#include "formats/reference_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "formats/csv_table_writer.h"
#include "formats/omx_file.h"
#include "output/trip_table_writer.h"
#include "support/test_support.h"

namespace veldmark {
namespace {

using testing::ScratchDir;

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
    ReferenceTable table;
    ASSERT_TRUE(readReferenceTable(dir.file(name), table).ok()) << name;
    const std::string file = name;
    if (file == "tntp.tntp") {
      EXPECT_EQ(table.zones.size(), 30u);  // TNTP zones are 1..N
    } else {
      EXPECT_EQ(table.zones, exact.zones) << name;
    }
    const double tolerance = file == "trips.txt" ? 0.05 : 0.0;  // printed to one decimal
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) {
        const auto entry = table.values.find({exact.zones[i], exact.zones[j]});
        ASSERT_NE(entry, table.values.end()) << name;
        EXPECT_LE(std::fabs(entry->second - exact.at(i, j)), tolerance) << name << i << j;
      }
    }
  }
  ReferenceTable table;
  ASSERT_TRUE(readReferenceTable(dir.file("tntp.tntp"), table).ok());
  const ZoneTable dense = denseTable(table);
  EXPECT_EQ(dense.at(0, 0), 0.0);  // zone 1: named by no entry
  EXPECT_EQ(dense.at(29, 9), 200.0);
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
      {"h.csv", "o_zone_id,d_zone_id\n1,2\n", ":1: no column volume in the header"},
      {"i.csv", "o_zone_id,d_zone_id,volume\n1,2,3\n1,2,4\n", ":3: pair given twice"},
      {"j.csv", "o_zone_id,d_zone_id,volume\n1,x,3\n", ":2: zone ids must be whole numbers"},
      {"k.dat", "neither blocks nor a table\n", ": not a trip table in a known layout"},
  };
  for (const auto& c : cases) {
    ReferenceTable table;
    const std::string path = dir.write(c.name, c.text);
    EXPECT_EQ(readReferenceTable(path, table).message, path + c.message);
  }
}

}  // namespace
}  // namespace veldmark
