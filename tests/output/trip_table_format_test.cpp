#include "output/trip_table_format.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>

#include "output/trip_tables.h"

namespace veldmark {
namespace {

using testing::tripTable;

std::string header(const std::string& lastZone, const std::string& total) {
  return "<NUMBER OF ZONES> " + lastZone + "\n<TOTAL OD FLOW> " + total +
         "\n<END OF METADATA>\n\n\n";
}

std::string format(const std::vector<double>& values, const std::vector<NodeId>& zones,
                   const std::vector<NodeId>& baseNodes, const std::vector<std::uint8_t>& flags) {
  std::ostringstream out;
  formatTripTable(out, tripTable(static_cast<int>(zones.size()), values), zones, baseNodes, flags);
  return out.str();
}

TEST(FormatTripTable, WritesTheHeaderAndABlockPerZoneInTheBase) {
  EXPECT_EQ(format({0, 120.5, 79.5, 0}, {10, 20}, {10, 7, 20}, {1, 0, 1}),
            "<NUMBER OF ZONES> 20\n<TOTAL OD FLOW> 200\n<END OF METADATA>\n\n\n"
            "Origin \t10 \n   10 :      0.0;   20 :    120.5; \n\n"
            "Origin \t20 \n   10 :     79.5;   20 :      0.0; \n\n");
  // Zone 3 is not a base node, base node 9 not a zone: blocks in base order,
  // zone 3's flows only in the total.
  EXPECT_EQ(format({0, 1, 7, 0, 0, 0, 5, 0, 0.5}, {1, 2, 3}, {9, 2, 1}, {0, 1, 1}),
            header("3", "13.5") + "Origin \t2 \n    2 :      0.0;    1 :      0.0; \n\n" +
                "Origin \t1 \n    2 :      1.0;    1 :      0.0; \n\n");
  EXPECT_EQ(format({-3.26, -0.04, 0.05, 2}, {1, 2}, {1, 2}, {1, 1}),
            header("2", "5.35") + "Origin \t1 \n    1 :      3.3;    2 :      0.0; \n\n" +
                "Origin \t2 \n    1 :      0.1;    2 :      2.0; \n\n");
  EXPECT_EQ(format({0, 1e7, 0, 0}, {123456, 7}, {123456, 7}, {1, 1}),
            header("7", "1e+07") + "Origin \t123456 \n123456 :      0.0;    7 :10000000.0; \n\n" +
                "Origin \t7 \n123456 :      0.0;    7 :      0.0; \n\n");
  EXPECT_EQ(format({}, {20, 10}, {}, {}), header("10", "0"));  // the last zone of the list
  EXPECT_EQ(format({}, {}, {5, 6}, {0, 0}), header("0", "0"));
}

TEST(FormatTripTable, EndsALineAfterEveryFifthEntryAndAfterAShortLastLine) {
  const std::string five =
      "    1 :      0.0;    2 :      0.0;    3 :      0.0;    4 :      0.0;    5 :      0.0; \n";
  for (const int n : {5, 6}) {
    std::vector<NodeId> zones;
    std::string expected = header(std::to_string(n), "0");
    for (int o = 1; o <= n; ++o) {
      zones.push_back(o);
      expected += "Origin \t" + std::to_string(o) + " \n" + five +
                  (n == 6 ? "    6 :      0.0; \n\n" : "\n");
    }
    EXPECT_EQ(format({}, zones, zones, std::vector<std::uint8_t>(n, 1)), expected) << n;
  }
}

// A stream left in fixed notation by its owner gets the default format for
// the total, and its own settings back afterwards.
TEST(FormatTripTable, WritesTheTotalInTheDefaultFormatWhateverTheStream) {
  const std::pair<double, const char*> cases[] = {
      {999999.4, "999999"}, {1234567, "1.23457e+06"}, {0.00005, "5e-05"}};
  for (const auto& [total, text] : cases) {
    std::ostringstream out;
    out << std::fixed << std::setprecision(3) << std::setfill('*');
    formatTripTable(out, tripTable(1, {total}), {4}, {}, {});
    EXPECT_EQ(out.str(), header("4", text));
    out << std::setw(7) << 1.5;
    EXPECT_TRUE(out.str().ends_with("**1.500"));
  }
}

}  // namespace
}  // namespace veldmark
