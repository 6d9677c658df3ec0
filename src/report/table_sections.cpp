// The trip ends and the table itself.
#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "report/heat_map.h"
#include "report/html_text.h"
#include "report/report_sections.h"
#include "report/svg_chart.h"

namespace veldmark {
namespace {

const std::vector<std::string> kEndColours = {"#4a7ab5", "#e08a3c"};

struct TripEnds {
  std::vector<double> origins;       // row sums, zone order
  std::vector<double> destinations;  // column sums, zone order
};

TripEnds tripEnds(const ZoneTable& table) {
  const int n = table.zoneCount();
  TripEnds ends{std::vector<double>(n, 0.0), std::vector<double>(n, 0.0)};
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      ends.origins[i] += table.at(i, j);
      ends.destinations[j] += table.at(i, j);
    }
  }
  return ends;
}

// The first `count` of `indices` 0 .. size-1 by `key` descending (stable).
template <typename Key>
std::vector<int> largest(int size, int count, Key key) {
  std::vector<int> order(size);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return key(a) > key(b); });
  if (static_cast<int>(order.size()) > count) order.resize(count);
  return order;
}

std::string tripEndChart(const ZoneTable& table, const TripEnds& ends) {
  const std::vector<int> drawn = largest(table.zoneCount(), kTripEndZonesDrawn, [&](int k) {
    return ends.origins[k] + ends.destinations[k];
  });
  std::vector<std::string> categories;
  std::vector<std::vector<double>> series(2);
  double most = 1;
  for (int k : drawn) {
    categories.push_back(std::to_string(table.zones[k]));
    series[0].push_back(ends.origins[k]);
    series[1].push_back(ends.destinations[k]);
    most = std::max({most, ends.origins[k], ends.destinations[k]});
  }
  ChartFrame frame = linearFrame("trip-ends", "Origin and destination totals", 0, 1, 0, most);
  frame.xLabel = "zone";
  frame.yLabel = "trips";
  return chartStart(frame, false) + barMarks(frame, categories, series, kEndColours) +
         legend({"origins", "destinations"}, kEndColours) + chartEnd();
}

std::string tripEndTable(const ZoneTable& table, const TripEnds& ends) {
  std::string html = "<div class=\"scroll\"><table class=\"numbers\">" +
                     tableRow({"zone", "origins", "destinations"}, true);
  for (int k = 0; k < table.zoneCount(); ++k) {
    html += tableRow({std::to_string(table.zones[k]), fixed(ends.origins[k], 1),
                      fixed(ends.destinations[k], 1)});
  }
  return html + "</table></div>";
}

std::string largestPairs(const ZoneTable& table) {
  const int n = table.zoneCount();
  double total = 0;
  for (double value : table.values) total += value;
  const std::vector<int> pairs =
      largest(n * n, kLargestPairs, [&](int k) { return table.values[k]; });
  std::string html = "<table class=\"numbers\">" +
                     tableRow({"rank", "origin", "destination", "trips", "share"}, true);
  for (std::size_t r = 0; r < pairs.size(); ++r) {
    const double value = table.values[pairs[r]];
    html += tableRow({std::to_string(r + 1), std::to_string(table.zones[pairs[r] / n]),
                      std::to_string(table.zones[pairs[r] % n]), fixed(value, 1),
                      total > 0 ? fixed(100 * value / total, 2) + "%" : "n/a"});
  }
  return html + "</table>";
}

}  // namespace

std::string tripEndsSection(const ReportData& data) {
  const TripEnds ends = tripEnds(data.table);
  return "<section id=\"trip-ends\"><h2>Trip ends</h2><p>Trips leaving (origins) and reaching "
         "(destinations) each zone; the " +
         std::to_string(kTripEndZonesDrawn) +
         " zones with the most trips are drawn, every zone is in the table.</p><figure>" +
         tripEndChart(data.table, ends) +
         "<figcaption>Origin and destination totals of the zones with the most "
         "trips</figcaption></figure>" +
         tripEndTable(data.table, ends) + "</section>";
}

std::string tableSection(const ReportData& data) {
  const int n = data.table.zoneCount();
  std::string html = "<section id=\"table\"><h2>The table</h2>";
  if (n >= 1 && n <= kMaxHeatMapZones) {
    html +=
        "<p>Trips by origin (rows) and destination (columns); darker cells carry more "
        "trips (log scale), white cells none.</p><figure class=\"wide\">" +
        heatMapSvg(data.table) + "<figcaption>The table as a heat map</figcaption></figure>";
  } else {
    html += "<p>The table has " + std::to_string(n) + " zones, more than the " +
            std::to_string(kMaxHeatMapZones) + " a heat map is drawn for.</p>";
  }
  return html + "<h3>The " + std::to_string(kLargestPairs) + " largest pairs</h3>" +
         largestPairs(data.table) + "</section>";
}

}  // namespace veldmark
