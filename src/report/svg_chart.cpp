#include "report/svg_chart.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "report/html_text.h"

namespace veldmark {
namespace {

std::string text(double x, double y, const std::string& anchor, const std::string& content,
                 const std::string& extra = "") {
  return "<text x=\"" + pixel(x) + "\" y=\"" + pixel(y) + "\" text-anchor=\"" + anchor + "\"" +
         extra + ">" + escapeHtml(content) + "</text>";
}

std::string line(double x0, double y0, double x1, double y1, const std::string& cls) {
  return "<line class=\"" + cls + "\" x1=\"" + pixel(x0) + "\" y1=\"" + pixel(y0) + "\" x2=\"" +
         pixel(x1) + "\" y2=\"" + pixel(y1) + "\"/>";
}

std::string yGrid(const ChartFrame& frame) {
  std::string svg;
  const std::vector<double> ticks = axisTicks(frame.y);
  const std::vector<std::string> labels = axisLabels(frame.y);
  for (std::size_t k = 0; k < ticks.size(); ++k) {
    const double y = place(frame.y, ticks[k]);
    svg += line(kPlotLeft, y, kPlotRight, y, "grid");
    svg += text(kPlotLeft - 6, y + 4, "end", labels[k]);
  }
  return svg;
}

std::string xGrid(const ChartFrame& frame) {
  std::string svg;
  const std::vector<double> ticks = axisTicks(frame.x);
  const std::vector<std::string> labels = axisLabels(frame.x);
  for (std::size_t k = 0; k < ticks.size(); ++k) {
    const double x = place(frame.x, ticks[k]);
    svg += line(x, kPlotTop, x, kPlotBottom, "grid");
    svg += text(x, kPlotBottom + 16, "middle", labels[k]);
  }
  return svg;
}

// Grey level of a bin holding `count` of at most `most` pairs (darker: more).
std::string binShade(int count, int most) {
  const int level = 200 - (most > 1 ? 170 * (count - 1) / (most - 1) : 170);
  const std::string grey = std::to_string(level);
  return "rgb(" + grey + "," + grey + ",255)";
}

int binOf(const Axis& axis, double value) {
  const double share = (place(axis, value) - axis.from) / (axis.to - axis.from);
  return std::clamp(static_cast<int>(share * kScatterBins), 0, kScatterBins - 1);
}

}  // namespace

ChartFrame linearFrame(const std::string& name, const std::string& title, double xLow, double xHigh,
                       double yLow, double yHigh) {
  ChartFrame frame;
  frame.name = name;
  frame.title = title;
  frame.x = linearAxis(xLow, xHigh, kPlotLeft, kPlotRight);
  frame.y = linearAxis(yLow, yHigh, kPlotBottom, kPlotTop);
  return frame;
}

std::string chartStart(const ChartFrame& frame, bool xTicks) {
  std::string svg = "<svg class=\"chart\" data-chart=\"" + escapeHtml(frame.name) +
                    "\" viewBox=\"0 0 " + std::to_string(kChartWidth) + " " +
                    std::to_string(kChartHeight) + "\" role=\"img\" aria-label=\"" +
                    escapeHtml(frame.title) + "\">";
  svg += yGrid(frame);
  if (xTicks) svg += xGrid(frame);
  svg += line(kPlotLeft, kPlotBottom, kPlotRight, kPlotBottom, "axis");
  svg += line(kPlotLeft, kPlotTop, kPlotLeft, kPlotBottom, "axis");
  svg += text((kPlotLeft + kPlotRight) / 2.0, kChartHeight - 8, "middle", frame.xLabel,
              " class=\"label\"");
  svg += text(14, (kPlotTop + kPlotBottom) / 2.0, "middle", frame.yLabel,
              " class=\"label\" transform=\"rotate(-90 14 " +
                  pixel((kPlotTop + kPlotBottom) / 2.0) + ")\"");
  return svg;
}

std::string chartEnd() {
  return "</svg>";
}

std::string pointMarks(const ChartFrame& frame, const std::vector<double>& xs,
                       const std::vector<double>& ys, const std::vector<std::string>& titles) {
  std::string svg;
  for (std::size_t k = 0; k < xs.size(); ++k) {
    svg += "<circle class=\"mark\" cx=\"" + pixel(place(frame.x, xs[k])) + "\" cy=\"" +
           pixel(place(frame.y, ys[k])) + "\" r=\"3\"";
    svg += titles.empty() ? "/>" : "><title>" + escapeHtml(titles[k]) + "</title></circle>";
  }
  return svg;
}

std::string scatterMarks(const ChartFrame& frame, const std::vector<double>& xs,
                         const std::vector<double>& ys) {
  if (xs.size() <= static_cast<std::size_t>(kMaxScatterPoints)) {
    return pointMarks(frame, xs, ys, {});
  }
  std::vector<int> counts(kScatterBins * kScatterBins, 0);
  for (std::size_t k = 0; k < xs.size(); ++k) {
    ++counts[binOf(frame.y, ys[k]) * kScatterBins + binOf(frame.x, xs[k])];
  }
  const int most = *std::max_element(counts.begin(), counts.end());
  const double width = (frame.x.to - frame.x.from) / kScatterBins;
  const double height = (frame.y.to - frame.y.from) / kScatterBins;  // negative: upwards
  std::string svg;
  for (int row = 0; row < kScatterBins; ++row) {
    for (int column = 0; column < kScatterBins; ++column) {
      const int count = counts[row * kScatterBins + column];
      if (count == 0) continue;
      svg += "<rect class=\"mark bin\" x=\"" + pixel(frame.x.from + column * width) + "\" y=\"" +
             pixel(frame.y.from + (row + 1) * height) + "\" width=\"" + pixel(width) +
             "\" height=\"" + pixel(-height) + "\" fill=\"" + binShade(count, most) + "\"><title>" +
             std::to_string(count) + " pairs</title></rect>";
    }
  }
  return svg;
}

std::string polyline(const ChartFrame& frame, const std::vector<double>& xs,
                     const std::vector<double>& ys) {
  std::string svg = "<polyline class=\"trace\" points=\"";
  for (std::size_t k = 0; k < xs.size(); ++k) {
    svg += (k ? " " : "") + pixel(place(frame.x, xs[k])) + "," + pixel(place(frame.y, ys[k]));
  }
  return svg + "\"/>";
}

std::string guideLine(const ChartFrame& frame, double x0, double y0, double x1, double y1,
                      const std::string& label) {
  const double endX = place(frame.x, x1), endY = place(frame.y, y1);
  return line(place(frame.x, x0), place(frame.y, y0), endX, endY, "guide") +
         text(endX - 4, endY - 6, "end", label, " class=\"guide-label\"");
}

std::string barMarks(const ChartFrame& frame, const std::vector<std::string>& categories,
                     const std::vector<BarSeries>& series) {
  const double slot = (kPlotRight - kPlotLeft) / static_cast<double>(categories.size());
  const double barWidth = slot * 0.8 / static_cast<double>(series.size());
  const double zero = place(frame.y, 0);
  std::string svg;
  for (std::size_t k = 0; k < categories.size(); ++k) {
    const double left = kPlotLeft + slot * static_cast<double>(k) + slot * 0.1;
    for (std::size_t s = 0; s < series.size(); ++s) {
      const double value = series[s].values[k];
      const double top = place(frame.y, value);
      svg += "<rect class=\"mark bar\" data-series=\"" + escapeHtml(series[s].name) + "\" x=\"" +
             pixel(left + barWidth * static_cast<double>(s)) + "\" y=\"" +
             pixel(std::min(top, zero)) + "\" width=\"" + pixel(barWidth) + "\" height=\"" +
             pixel(std::abs(zero - top)) + "\" fill=\"" + series[s].colour + "\"><title>" +
             escapeHtml(categories[k]) + ", " + escapeHtml(series[s].name) + ": " +
             significant(value) + "</title></rect>";
    }
    const double middle = left + slot * 0.4;
    svg += text(middle, kPlotBottom + 12, "end", categories[k],
                " class=\"category\" transform=\"rotate(-60 " + pixel(middle) + " " +
                    pixel(kPlotBottom + 12) + ")\"");
  }
  return svg;
}

std::string legend(const std::vector<BarSeries>& series) {
  std::string svg;
  for (std::size_t s = 0; s < series.size(); ++s) {
    const double y = kPlotTop + 8 + 16 * static_cast<double>(s);
    svg += "<rect class=\"key\" x=\"" + pixel(kPlotRight - 150) + "\" y=\"" + pixel(y - 9) +
           "\" width=\"10\" height=\"10\" fill=\"" + series[s].colour + "\"/>";
    svg += text(kPlotRight - 134, y, "start", series[s].name);
  }
  return svg;
}

}  // namespace veldmark
