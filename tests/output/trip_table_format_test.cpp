#include <gtest/gtest.h>

#include <cstdint>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "output/trip_table_writer.h"
#include "output/trip_tables.h"

namespace veldmark {
namespace {

using testing::tripTable;

std::string format(const DenseMatrix& table, const std::vector<NodeId>& zones,
                   const std::vector<NodeId>& baseNodes, const std::vector<std::uint8_t>& flags) {
  std::ostringstream out;
  formatTripTable(out, table, zones, baseNodes, flags);
  return out.str();
}

// All zones are base nodes, in the same order.
std::string format(const DenseMatrix& table, const std::vector<NodeId>& zones) {
  return format(table, zones, zones, std::vector<std::uint8_t>(zones.size(), 1));
}

std::string header(const std::string& lastZone, const std::string& total) {
  return "<NUMBER OF ZONES> " + lastZone + "\n<TOTAL OD FLOW> " + total +
         "\n<END OF METADATA>\n\n\n";
}

TEST(FormatTripTable, WritesTheWorkedExample) {
  const std::string expected =
      "<NUMBER OF ZONES> 20\n"
      "<TOTAL OD FLOW> 200\n"
      "<END OF METADATA>\n"
      "\n"
      "\n"
      "Origin \t10 \n"
      "   10 :      0.0;   20 :    120.5; \n"
      "\n"
      "Origin \t20 \n"
      "   10 :     79.5;   20 :      0.0; \n"
      "\n";
  EXPECT_EQ(format(tripTable(2, {0, 120.5, 79.5, 0}), {10, 20}, {10, 7, 20}, {1, 0, 1}), expected);
}

TEST(FormatTripTable, EndsALineAfterEveryFifthEntryAndAfterAShortLastLine) {
  const std::string five =
      "    1 :      0.0;    2 :      0.0;    3 :      0.0;    4 :      0.0;"
      "    5 :      0.0; \n";
  std::string expected = header("5", "0");
  for (int o = 1; o <= 5; ++o) expected += "Origin \t" + std::to_string(o) + " \n" + five + "\n";
  EXPECT_EQ(format(tripTable(5), {1, 2, 3, 4, 5}), expected);

  expected = header("6", "0");
  for (int o = 1; o <= 6; ++o) {
    expected += "Origin \t" + std::to_string(o) + " \n" + five + "    6 :      0.0; \n\n";
  }
  EXPECT_EQ(format(tripTable(6), {1, 2, 3, 4, 5, 6}), expected);
}

TEST(FormatTripTable, ZoneOutsideTheBaseNetworkCountsOnlyInTheTotal) {
  // Zone 3 is not a base node; base node 9 is not a zone.
  const DenseMatrix table = tripTable(3, {0, 1, 7, 0, 0, 0, 5, 0, 0.5});
  const std::string expected = header("3", "13.5") +
                               "Origin \t2 \n    2 :      0.0;    1 :      0.0; \n\n"
                               "Origin \t1 \n    2 :      1.0;    1 :      0.0; \n\n";
  EXPECT_EQ(format(table, {1, 2, 3}, {9, 2, 1}, {0, 1, 1}), expected);
}

TEST(FormatTripTable, WritesAbsoluteValuesWithOneDecimal) {
  const std::string text = format(tripTable(2, {-3.26, -0.04, 0.05, 2}), {1, 2});
  EXPECT_NE(text.find("<TOTAL OD FLOW> 5.35\n"), std::string::npos) << text;
  EXPECT_NE(text.find("    1 :      3.3;    2 :      0.0; \n"), std::string::npos) << text;
  EXPECT_NE(text.find("    1 :      0.1;    2 :      2.0; \n"), std::string::npos) << text;
}

TEST(FormatTripTable, WritesValuesWiderThanTheirFieldsInFull) {
  const std::string text = format(tripTable(2, {0, 10000000.0, 0, 0}), {123456, 7});
  EXPECT_NE(text.find("Origin \t123456 \n123456 :      0.0;    7 :10000000.0; \n"),
            std::string::npos)
      << text;
}

TEST(FormatTripTable, WritesTheTotalInTheDefaultFormatWhateverTheStream) {
  const struct {
    double total;
    const char* text;
  } cases[] = {{999999.4, "999999"}, {1234567, "1.23457e+06"}, {0.00005, "5e-05"}};
  for (const auto& c : cases) {
    // A stream left in fixed notation by its owner gets the default format
    // for the total, and its own settings back afterwards.
    std::ostringstream out;
    out << std::fixed << std::setprecision(3) << std::setfill('*');
    formatTripTable(out, tripTable(1, {c.total}), {4}, {}, {});
    EXPECT_EQ(out.str(), header("4", c.text));
    out << std::setw(7) << 1.5;
    EXPECT_EQ(out.str().substr(out.str().size() - 7), "**1.500");
  }
}

TEST(FormatTripTable, NamesTheLastZoneOfTheListInTheFirstHeaderLine) {
  EXPECT_EQ(format(tripTable(2), {20, 10}, {}, {}), header("10", "0"));
  EXPECT_EQ(format(tripTable(0), {}, {5, 6}, {0, 0}), header("0", "0"));
}

}  // namespace
}  // namespace veldmark
