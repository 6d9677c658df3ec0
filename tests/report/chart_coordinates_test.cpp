#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "report/chart_scale.h"
#include "report/heat_map.h"
#include "report/svg_chart.h"

namespace veldmark {
namespace {

int count(const std::string& text, const std::string& what) {
  int found = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++found;
  }
  return found;
}

TEST(ChartCoordinates, AxesPlaceValuesOnTheirPixels) {
  const Axis across = linearAxis(0, 87, 64, 624);  // steps of 20: 0 .. 100
  EXPECT_EQ(across.high, 100);
  EXPECT_EQ(place(across, 50), 344);
  EXPECT_EQ(axisTicks(across), (std::vector<double>{0, 20, 40, 60, 80, 100}));
  const Axis up = linearAxis(0, 87, 300, 16);  // pixels grow downwards
  EXPECT_EQ(place(up, 0), 300);
  EXPECT_EQ(place(up, 100), 16);
  const Axis log = logAxis(0.0004, 3, 300, 16);  // decades 1e-4 .. 10
  EXPECT_DOUBLE_EQ(log.low, 1e-4);
  EXPECT_DOUBLE_EQ(log.high, 10);
  EXPECT_NEAR(place(log, 0.001), 300 - 284.0 / 5, 1e-9);
  EXPECT_EQ(axisTicks(log).size(), 6u);
  const Axis span = spanAxis(5.2e6, 6.9e6, 300, 16);  // steps of 5e5
  EXPECT_EQ(span.low, 5e6);
  EXPECT_EQ(span.high, 7e6);
}

// Every label of an axis in one number style: one unit (none, k, M or a
// shared power of ten) and one count of decimals; decades plain or all as
// powers of ten.
TEST(ChartCoordinates, EachAxisLabelsItsTicksInOneStyle) {
  using Labels = std::vector<std::string>;
  EXPECT_EQ(axisLabels(linearAxis(0, 87, 0, 1)), (Labels{"0", "20", "40", "60", "80", "100"}));
  EXPECT_EQ(axisLabels(linearAxis(0, 19000, 0, 1)), (Labels{"0", "5k", "10k", "15k", "20k"}));
  EXPECT_EQ(axisLabels(linearAxis(0, 2.2, 0, 1)),
            (Labels{"0.0", "0.5", "1.0", "1.5", "2.0", "2.5"}));
  EXPECT_EQ(axisLabels(spanAxis(10.6e6, 10.8e6, 0, 1)),
            (Labels{"10.60M", "10.65M", "10.70M", "10.75M", "10.80M"}));
  EXPECT_EQ(axisLabels(linearAxis(0, 0.0042, 0, 1)),
            (Labels{"0", "1e-3", "2e-3", "3e-3", "4e-3", "5e-3"}));
  EXPECT_EQ(axisLabels(logAxis(0.0004, 3, 0, 1)),
            (Labels{"1e-4", "1e-3", "1e-2", "1e-1", "1e0", "1e1"}));
  EXPECT_EQ(axisLabels(logAxis(0.001, 4.03, 0, 1)), (Labels{"0.001", "0.01", "0.1", "1", "10"}));
}

TEST(ChartCoordinates, HeatMapCellsOfAKnownTable) {
  // Zones 7 and 9: 7 -> 9 carries 4 trips, 9 -> 7 one, the diagonal none.
  const ZoneTable table{{7, 9}, {0, 4, 1, 0}};
  EXPECT_EQ(heatMapCell(2), 300);
  EXPECT_EQ(heatMapCell(150), 4);
  const std::string svg = heatMapSvg(table);
  EXPECT_EQ(count(svg, "class=\"mark cell\""), 2);
  // The largest cell is the darkest; log(1 + 1) / log(1 + 4) of the way for the other.
  EXPECT_NE(svg.find("x=\"348\" y=\"48\" width=\"300\" height=\"300\" fill=\"hsl(215,70%,22%)\""),
            std::string::npos);
  EXPECT_NE(svg.find("x=\"48\" y=\"348\" width=\"300\" height=\"300\" fill=\"hsl(215,70%,64%)\""),
            std::string::npos);
  EXPECT_NE(svg.find("<title>7 \xe2\x86\x92 9: 4.0</title>"), std::string::npos);
  // The legend below the map: a key for 1 trip and one for the largest cell,
  // each in the shade its cell would have.
  EXPECT_EQ(count(svg, "class=\"key\""), 2);
  EXPECT_NE(svg.find("fill=\"hsl(215,70%,64%)\"><title>1</title>"), std::string::npos);
  EXPECT_NE(svg.find("fill=\"hsl(215,70%,22%)\"><title>4</title>"), std::string::npos);
  // Larger tables: a key per power of ten up to the largest cell.
  EXPECT_EQ(count(heatMapSvg(ZoneTable{{7, 9}, {0, 12345.6, 1, 0}}), "class=\"key\""), 6);
  EXPECT_EQ(count(heatMapSvg(ZoneTable{{7, 9}, {0, 0, 0, 0}}), "class=\"key\""), 0);
}

TEST(ChartCoordinates, PointsBinsAndBars) {
  const ChartFrame frame = linearFrame("t", "t", 0, 87, 0, 87);  // both axes 0 .. 100
  EXPECT_EQ(pointMarks(frame, {50}, {25}, {}),
            "<circle class=\"mark\" cx=\"350.0\" cy=\"229.0\" r=\"3\"/>");
  // Up to the limit every pair is a point; past it they fall into bins.
  const std::vector<double> many(kMaxScatterPoints, 50.0);
  EXPECT_EQ(count(scatterMarks(frame, many, many), "<circle class=\"mark\""), kMaxScatterPoints);
  std::vector<double> more(kMaxScatterPoints + 1, 50.0);
  more.back() = 0.0;
  const std::string binned = scatterMarks(frame, more, more);
  EXPECT_EQ(count(binned, "class=\"mark bin\""), 2);
  EXPECT_NE(binned.find("<title>10000 pairs</title>"), std::string::npos);
  // Two categories over 548 pixels: slots of 274, bars 0.8 of a slot wide.
  const ChartFrame bars = linearFrame("b", "b", 0, 1, 0, 20);  // y 0 .. 20 over 284 pixels
  const std::string svg = barMarks(bars, {"a", "b"}, {{"counts", "red", {10, 20}}});
  EXPECT_NE(svg.find("x=\"103.4\" y=\"158.0\" width=\"219.2\" height=\"142.0\""),
            std::string::npos);
  EXPECT_NE(svg.find("x=\"377.4\" y=\"16.0\" width=\"219.2\" height=\"284.0\""), std::string::npos);
}

}  // namespace
}  // namespace veldmark
