// Charts as inline SVG text: a frame with axes, ticks and labels, and the
// marks drawn inside it. Every mark (point, bar, bin, cell) carries
// class="mark" so that a reader of the page can count them.
#pragma once

#include <string>
#include <vector>

#include "report/chart_scale.h"

namespace veldmark {

inline constexpr int kChartWidth = 640;          // viewBox width of every chart
inline constexpr int kChartHeight = 360;         // viewBox height of every chart
inline constexpr int kPlotLeft = 76;             // pixels left of the plot area (y labels)
inline constexpr int kPlotRight = 624;           // right edge of the plot area
inline constexpr int kPlotTop = 16;              // top edge of the plot area
inline constexpr int kPlotBottom = 300;          // bottom edge of the plot area (x labels below)
inline constexpr int kMaxScatterPoints = 10000;  // above this a scatter is drawn as bins
inline constexpr int kScatterBins = 80;          // bins per axis of a binned scatter

// One chart: its name (data-chart attribute), its accessible title, the axis
// labels and the two axes in pixels of the plot area.
struct ChartFrame {
  std::string name;
  std::string title;
  std::string xLabel;
  std::string yLabel;
  Axis x;
  Axis y;
};

/// A frame whose axes span the plot area: x over [xLow, xHigh], y over
/// [yLow, yHigh], both linear and rounded out (linearAxis). Prints nothing.
ChartFrame linearFrame(const std::string& name, const std::string& title, double xLow, double xHigh,
                       double yLow, double yHigh);

/// Opens the <svg> element of `frame` and draws its grid, ticks, tick labels
/// and axis labels; `xTicks` false leaves the x axis without ticks (bars).
/// All text is HTML-escaped. Prints nothing.
std::string chartStart(const ChartFrame& frame, bool xTicks = true);

/// Closes the <svg> element.
std::string chartEnd();

/// One circle per (xs[k], ys[k]) at its placed pixels, with titles[k] as its
/// tooltip when `titles` is not empty. REQUIRES equal sizes. Prints nothing.
std::string pointMarks(const ChartFrame& frame, const std::vector<double>& xs,
                       const std::vector<double>& ys, const std::vector<std::string>& titles);

/// The scatter of (xs, ys): points while there are at most kMaxScatterPoints,
/// else kScatterBins x kScatterBins rectangles shaded by how many pairs fall
/// in each (only bins that hold any). Prints nothing.
std::string scatterMarks(const ChartFrame& frame, const std::vector<double>& xs,
                         const std::vector<double>& ys);

/// The line through (xs[k], ys[k]) in order, not a mark. Prints nothing.
std::string polyline(const ChartFrame& frame, const std::vector<double>& xs,
                     const std::vector<double>& ys);

/// A dashed line from (x0, y0) to (x1, y1) in data values with `label` at
/// its right end, not a mark. Prints nothing.
std::string guideLine(const ChartFrame& frame, double x0, double y0, double x1, double y1,
                      const std::string& label);

// One series of bars: its name (the legend's, and each bar's data-series
// attribute), its fill colour and one value per category.
struct BarSeries {
  std::string name;
  std::string colour;
  std::vector<double> values;
};

/// Bars for categories 0 .. K-1 spread evenly over the x span: series s
/// drawn as the s-th of the bars side by side in each category, each a
/// rect class="mark bar" data-series="name" in the series' colour with its
/// tooltip ("category, name: value"); categories[k] written below each
/// group.
/// REQUIRES every series to hold K values. Prints nothing.
std::string barMarks(const ChartFrame& frame, const std::vector<std::string>& categories,
                     const std::vector<BarSeries>& series);

/// A legend of the series' coloured squares (class="key") and names at the
/// top right of the plot. Prints nothing.
std::string legend(const std::vector<BarSeries>& series);

}  // namespace veldmark
