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
  EXPECT_EQ(tickLabel(0), "0");
  EXPECT_EQ(tickLabel(2.5), "2.5");
  EXPECT_EQ(tickLabel(40000), "40k");
  EXPECT_EQ(tickLabel(1.25e6), "1.25M");
  EXPECT_EQ(tickLabel(0.001), "1e-03");
  // With the step, neighbouring ticks differ: 10.65M and 10.70M, 1.0 and 1.5.
  EXPECT_EQ(tickLabel(10.65e6, 5e4), "10.65M");
  EXPECT_EQ(tickLabel(10.7e6, 5e4), "10.70M");
  EXPECT_EQ(tickLabel(1, 0.5), "1.0");
  EXPECT_EQ(tickLabel(40000, 20000), "40k");
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
  const std::string svg = barMarks(bars, {"a", "b"}, {{10, 20}}, {"red"});
  EXPECT_NE(svg.find("x=\"103.4\" y=\"158.0\" width=\"219.2\" height=\"142.0\""),
            std::string::npos);
  EXPECT_NE(svg.find("x=\"377.4\" y=\"16.0\" width=\"219.2\" height=\"284.0\""), std::string::npos);
}

}  // namespace
}  // namespace veldmark
