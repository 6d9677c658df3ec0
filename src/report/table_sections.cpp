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

constexpr const char* kOriginColour = "#4a7ab5";
constexpr const char* kDestinationColour = "#e08a3c";
constexpr const char* kReferenceColour = "#9a9a9a";

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

// The zones drawn: those with the most trip ends, the reference's counted too.
std::vector<int> drawnZones(const ZoneTable& table, const TripEnds& ends,
                            const ReferenceComparison* comparison) {
  return largest(table.zoneCount(), kTripEndZonesDrawn, [&](int k) {
    const double reference =
        comparison ? comparison->referenceOrigins[k] + comparison->referenceDestinations[k] : 0.0;
    return ends.origins[k] + ends.destinations[k] + reference;
  });
}

// One bar chart of the drawn zones: each series' value at each zone.
std::string tripEndChart(const std::string& name, const std::string& title, const ZoneTable& table,
                         const std::vector<int>& drawn, std::vector<BarSeries> series) {
  std::vector<std::string> categories;
  double most = 1;
  for (int k : drawn) categories.push_back(std::to_string(table.zones[k]));
  for (BarSeries& one : series) {
    std::vector<double> all = std::move(one.values);
    for (int k : drawn) {
      one.values.push_back(all[k]);
      most = std::max(most, all[k]);
    }
  }
  ChartFrame frame = linearFrame(name, title, 0, 1, 0, most);
  frame.xLabel = "zone";
  frame.yLabel = "trips";
  return chartStart(frame, false) + barMarks(frame, categories, series) + legend(series) +
         chartEnd();
}

std::string figure(const std::string& chart, const std::string& caption) {
  return "<figure>" + chart + "<figcaption>" + caption + "</figcaption></figure>";
}

// Without a reference one chart of both ends; with one, a chart for each
// end with the reference's bar beside the estimate's.
std::string tripEndCharts(const ReportData& data, const TripEnds& ends) {
  const ReferenceComparison* comparison = data.comparison;
  const std::vector<int> drawn = drawnZones(data.table, ends, comparison);
  if (comparison == nullptr) {
    return figure(tripEndChart("trip-ends", "Origin and destination totals", data.table, drawn,
                               {{"origins", kOriginColour, ends.origins},
                                {"destinations", kDestinationColour, ends.destinations}}),
                  "Origin and destination totals of the zones with the most trips");
  }
  return "<div class=\"charts\">" +
         figure(tripEndChart("origins", "Origin totals, estimate and reference", data.table, drawn,
                             {{"estimate", kOriginColour, ends.origins},
                              {"reference", kReferenceColour, comparison->referenceOrigins}}),
                "Origins: the estimate's beside the reference's") +
         figure(tripEndChart("destinations", "Destination totals, estimate and reference",
                             data.table, drawn,
                             {{"estimate", kDestinationColour, ends.destinations},
                              {"reference", kReferenceColour, comparison->referenceDestinations}}),
                "Destinations: the estimate's beside the reference's") +
         "</div>";
}

std::string tripEndTable(const ReportData& data, const TripEnds& ends) {
  const ReferenceComparison* comparison = data.comparison;
  std::vector<std::string> header = {"zone", "origins", "destinations"};
  if (comparison) header.insert(header.end(), {"reference origins", "reference destinations"});
  std::string html =
      "<div class=\"scroll\"><table class=\"numbers zones\">" + tableRow(header, true);
  for (int k = 0; k < data.table.zoneCount(); ++k) {
    std::vector<std::string> row = {std::to_string(data.table.zones[k]), fixed(ends.origins[k], 1),
                                    fixed(ends.destinations[k], 1)};
    if (comparison) {
      row.insert(row.end(), {fixed(comparison->referenceOrigins[k], 1),
                             fixed(comparison->referenceDestinations[k], 1)});
    }
    html += tableRow(row);
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
         std::to_string(kTripEndZonesDrawn) + " zones with the most trips" +
         (data.comparison ? " (the reference's counted too)" : "") +
         " are drawn, every zone is in the table.</p>" + tripEndCharts(data, ends) +
         tripEndTable(data, ends) + "</section>";
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
