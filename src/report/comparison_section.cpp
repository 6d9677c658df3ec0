// The comparison of the estimate with a reference table.
#include <algorithm>
#include <string>
#include <vector>

#include "report/html_text.h"
#include "report/report_sections.h"
#include "report/svg_chart.h"

namespace veldmark {
namespace {

std::string statisticsRow(const char* what, const ComparisonStatistics& fit) {
  return tableRow({what, std::to_string(fit.count), fixed(fit.estimatedTotal, 1),
                   fixed(fit.referenceTotal, 1), fixed(fit.rSquared, 4), fixed(fit.rmse, 1),
                   fixed(100 * fit.relativeRmse, 2) + "%"});
}

std::string statisticsTable(const ReferenceComparison& comparison) {
  return "<table class=\"numbers\">" +
         tableRow({"compared", "pairs", "estimate total", "reference total", "R&sup2;", "RMSE",
                   "RMSE / mean"},
                  true) +
         statisticsRow("cells", comparison.cells) +
         statisticsRow("origin totals", comparison.origins) +
         statisticsRow("destination totals", comparison.destinations) + "</table>";
}

std::string missingZones(const std::vector<NodeId>& zones, const char* what) {
  if (zones.empty()) return "";
  return "<p class=\"warning\">" + std::to_string(zones.size()) + what + " " +
         zoneList(zones, kZonesListed) + ".</p>";
}

std::string cellChart(const ReferenceComparison& comparison, const ZoneTable& estimate) {
  double most = 0;
  for (double value : estimate.values) most = std::max(most, value);
  for (double value : comparison.referenceCells) most = std::max(most, value);
  ChartFrame frame =
      linearFrame("reference", "Estimated against reference cells", 0, most, 0, most);
  frame.xLabel = "reference trips";
  frame.yLabel = "estimated trips";
  return chartStart(frame) + guideLine(frame, 0, 0, frame.x.high, frame.x.high, "equal") +
         scatterMarks(frame, comparison.referenceCells, estimate.values) + chartEnd();
}

}  // namespace

std::string comparisonSection(const ReferenceComparison& comparison, const ZoneTable& estimate) {
  const bool binned = estimate.values.size() > static_cast<std::size_t>(kMaxScatterPoints);
  return "<section id=\"comparison\"><h2>Comparison with the reference</h2><p>Reference "
         "<code>" +
         escapeHtml(comparison.path) + "</code>: its total is <strong>" +
         fixed(comparison.referenceTotal, 1) + "</strong> trips against the estimate's <strong>" +
         fixed(comparison.estimateTotal, 1) +
         "</strong>. The statistics run over every ordered pair of the estimate's zones "
         "(diagonal included; a pair the reference lacks counts as 0) and over the origin and "
         "destination totals of those zones. R&sup2; is the squared correlation: 1 when the "
         "estimate's values rise and fall with the reference's, near 0 when they do not follow "
         "them at all; the relative RMSE divides by the mean reference value, so 100% is an "
         "error as large as the typical value itself.</p>" +
         statisticsTable(comparison) +
         missingZones(comparison.missingFromReference,
                      " zones of the estimate are not in the reference (counted as 0):") +
         missingZones(comparison.missingFromEstimate,
                      " zones of the reference are not in the estimate (left out):") +
         "<figure>" + cellChart(comparison, estimate) + "<figcaption>Estimated against reference " +
         (binned ? "cells, binned (darker bins hold more pairs)" : "cells, one point per pair") +
         "</figcaption></figure></section>";
}

}  // namespace veldmark
