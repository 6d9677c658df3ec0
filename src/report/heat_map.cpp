#include "report/heat_map.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "report/html_text.h"

namespace veldmark {
namespace {

constexpr int kMargin = 48;        // room for the zone numbers
constexpr int kLegendHeight = 48;  // room for the colour legend below the map
constexpr int kKeyWidth = 56;      // one key of the legend

// Lightness from 96% (no trips) to 22% (the largest cell).
std::string shade(double value, double largest) {
  const double share = std::log1p(value) / std::log1p(largest);
  return "hsl(215,70%," + std::to_string(static_cast<int>(96 - 74 * share)) + "%)";
}

std::string zoneLabels(const ZoneTable& table, int cell) {
  const int every = (12 + cell - 1) / cell;
  std::string svg;
  for (int k = 0; k < table.zoneCount(); k += every) {
    const std::string zone = std::to_string(table.zones[k]);
    const int middle = kMargin + k * cell + cell / 2;
    svg += "<text x=\"" + std::to_string(kMargin - 4) + "\" y=\"" + std::to_string(middle + 4) +
           "\" text-anchor=\"end\">" + zone + "</text>";
    svg += "<text x=\"" + std::to_string(middle) + "\" y=\"" + std::to_string(kMargin - 6) +
           "\" text-anchor=\"middle\">" + zone + "</text>";
  }
  return svg;
}

// The legend: one key per power of ten below the largest cell, then the
// largest cell itself, each in its shade and labelled with its value.
std::string colourLegend(double largest, int top) {
  std::vector<double> values;
  for (double value = 1; value < largest && values.size() < 7; value *= 10) values.push_back(value);
  values.push_back(largest);
  std::string svg = "<text x=\"" + std::to_string(kMargin) + "\" y=\"" + std::to_string(top + 10) +
                    "\">trips in a cell (white: none)</text>";
  for (std::size_t k = 0; k < values.size(); ++k) {
    const int x = kMargin + static_cast<int>(k) * kKeyWidth;
    const std::string label = largest < 1 ? fixed(values[k], 2) : grouped(values[k]);
    svg += "<rect class=\"key\" x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(top + 16) +
           "\" width=\"" + std::to_string(kKeyWidth - 4) + "\" height=\"12\" fill=\"" +
           shade(values[k], largest) + "\"><title>" + label + "</title></rect><text x=\"" +
           std::to_string(x) + "\" y=\"" + std::to_string(top + 40) + "\">" + label + "</text>";
  }
  return svg;
}

}  // namespace

int heatMapCell(int zoneCount) {
  return std::max(3, 600 / zoneCount);
}

std::string heatMapSvg(const ZoneTable& table) {
  const int n = table.zoneCount();
  const int cell = heatMapCell(n);
  const int side = 2 * kMargin + n * cell;
  const double largest = *std::max_element(table.values.begin(), table.values.end());
  std::string svg = "<svg class=\"chart heatmap\" data-chart=\"heatmap\" viewBox=\"0 0 " +
                    std::to_string(side) + " " + std::to_string(side + kLegendHeight) +
                    "\" role=\"img\" aria-label=\"Trips by origin (rows) and destination "
                    "(columns)\">";
  svg += "<rect class=\"frame\" x=\"" + std::to_string(kMargin) + "\" y=\"" +
         std::to_string(kMargin) + "\" width=\"" + std::to_string(n * cell) + "\" height=\"" +
         std::to_string(n * cell) + "\"/>";
  const std::string size = std::to_string(cell);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const double value = table.at(i, j);
      if (!(value > 0)) continue;
      svg += "<rect class=\"mark cell\" x=\"" + std::to_string(kMargin + j * cell) + "\" y=\"" +
             std::to_string(kMargin + i * cell) + "\" width=\"" + size + "\" height=\"" + size +
             "\" fill=\"" + shade(value, largest) + "\"><title>" + std::to_string(table.zones[i]) +
             " \xe2\x86\x92 " + std::to_string(table.zones[j]) + ": " + fixed(value, 1) +
             "</title></rect>";
    }
  }
  svg += zoneLabels(table, cell);
  if (largest > 0) svg += colourLegend(largest, kMargin + n * cell + 8);
  return svg + "</svg>";
}

}  // namespace veldmark
