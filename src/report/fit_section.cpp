// The fit of the estimate to the observed counts: GEH first, as planners
// judge a fit, then observed against estimated flow.
#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "report/comparison_statistics.h"
#include "report/html_text.h"
#include "report/report_sections.h"
#include "report/svg_chart.h"

namespace veldmark {
namespace {

std::string linkName(const LinkFit& link) {
  return std::to_string(link.from) + " \xe2\x86\x92 " + std::to_string(link.to);
}

std::string fitChart(const std::vector<LinkFit>& links) {
  std::vector<double> observed, estimated;
  std::vector<std::string> titles;
  double largest = 0;
  for (const LinkFit& link : links) {
    observed.push_back(link.observed);
    estimated.push_back(link.estimated);
    titles.push_back("line " + std::to_string(link.line) + ", " + linkName(link) + ": observed " +
                     fixed(link.observed, 1) + ", estimated " + fixed(link.estimated, 1));
    largest = std::fmax(largest, std::fmax(link.observed, link.estimated));
  }
  ChartFrame frame = linearFrame("fit", "Observed against estimated flow of every abstract link", 0,
                                 largest, 0, largest);
  frame.xLabel = "observed flow";
  frame.yLabel = "estimated flow";
  return chartStart(frame) +
         guideLine(frame, 0, 0, frame.x.high, frame.x.high, "estimated = observed") +
         pointMarks(frame, observed, estimated, titles) + chartEnd();
}

// The links in order of GEH, largest first (file order on ties; a GEH that
// is not a number first of all).
std::vector<int> byGeh(const std::vector<LinkFit>& links) {
  std::vector<int> order(links.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const double x = links[a].geh, y = links[b].geh;
    return std::isnan(x) ? !std::isnan(y) : x > y;
  });
  return order;
}

// GEH of every count, sorted from the best met up: the count at x% of the
// way has x% of the counts at or below its GEH. The fit meets the 85% rule
// when the curve at 85% lies below GEH 5 (the two dashed lines).
std::string gehChart(const std::vector<LinkFit>& links) {
  std::vector<int> order = byGeh(links);
  std::reverse(order.begin(), order.end());
  double largest = kGehGood + 1;
  for (const LinkFit& link : links) {
    if (std::isfinite(link.geh)) largest = std::fmax(largest, link.geh);
  }
  ChartFrame frame = linearFrame("geh", "GEH of every count, sorted", 0, 100, 0, largest);
  frame.xLabel = "share of the counts (%), by GEH";
  frame.yLabel = "GEH";
  std::vector<double> xs, ys;
  for (std::size_t k = 0; k < order.size(); ++k) {
    const double geh = links[order[k]].geh;
    xs.push_back(100.0 * static_cast<double>(k + 1) / static_cast<double>(order.size()));
    ys.push_back(std::isfinite(geh) ? geh : frame.y.high);  // drawn at the top
  }
  return chartStart(frame) +
         guideLine(frame, 0, kGehGood, 100, kGehGood, "GEH " + fixed(kGehGood, 0)) +
         guideLine(frame, 100 * kGehShareGood, 0, 100 * kGehShareGood, frame.y.high,
                   fixed(100 * kGehShareGood, 0) + "% of the counts") +
         pointMarks(frame, xs, ys, {}) + chartEnd();
}

// The links of the largest GEH, or one line when every count is met.
std::string worstLinks(const std::vector<LinkFit>& links, const FitStatistics& statistics,
                       bool softCounts) {
  if (statistics.linksOff == 0 && !softCounts) {
    return "<p>Every count is met: no link's flow is off its count by more than a millionth of "
           "it (the largest GEH is " +
           fixed(statistics.largestGeh, 2) + "), so no list of the worst links follows.</p>";
  }
  std::vector<int> order = byGeh(links);
  if (order.size() > static_cast<std::size_t>(kFurthestLinks)) order.resize(kFurthestLinks);
  std::string html = "<h3>The " + counted(static_cast<long long>(order.size()), "link", "links") +
                     " of the largest GEH</h3><table class=\"numbers\">" +
                     tableRow({"line", "link", "observed", "estimated", "difference", "GEH"}, true);
  for (int k : order) {
    const LinkFit& link = links[k];
    html += tableRow({std::to_string(link.line), linkName(link), fixed(link.observed, 1),
                      fixed(link.estimated, 1), fixed(link.difference, 1), fixed(link.geh, 2)});
  }
  if (softCounts) return html + "</table>";
  return html + "</table><p>" + std::to_string(statistics.linksOff) + " of " +
         counted(static_cast<long long>(links.size()), "link is", "links are") +
         " off their count by more than a millionth of it.</p>";
}

}  // namespace

std::string fitSection(const ReportData& data) {
  const RunSummary& summary = *data.summary;
  std::vector<double> observed, estimated;
  for (const LinkFit& link : summary.fit) {
    observed.push_back(link.observed);
    estimated.push_back(link.estimated);
  }
  const ComparisonStatistics fit = compareValues(estimated, observed);
  const FitStatistics& statistics = summary.fitStatistics;
  return "<section id=\"fit\"><h2>Fit to the counts</h2><p>The GEH statistic "
         "&radic;(2&thinsp;(E&minus;O)&sup2;&thinsp;/&thinsp;(E+O)) compares each count O with the "
         "flow E the estimate puts on its link; planners ask for at least " +
         fixed(100 * kGehShareGood, 0) + "% of the counts within GEH " + fixed(kGehGood, 0) +
         ". Here " + fixed(100 * statistics.shareGehBelow5, 1) + "% are, and the largest GEH is " +
         fixed(statistics.largestGeh, 2) +
         ". Across all links, estimated against observed flow: R&sup2; " + fixed(fit.rSquared, 4) +
         ", RMSE " + significant(fit.rmse) + " (" + fixed(100 * fit.relativeRmse, 2) +
         "% of the mean count).</p><div class=\"charts\"><figure>" + gehChart(summary.fit) +
         "<figcaption>GEH of every count, sorted; the rule holds where the curve at 85% is "
         "below GEH 5</figcaption></figure><figure>" +
         fitChart(summary.fit) + "<figcaption>Observed against estimated flow, " +
         counted(static_cast<long long>(summary.fit.size()), "link", "links") +
         "</figcaption></figure></div>" +
         worstLinks(summary.fit, statistics, balancesPrior(summary.method)) + "</section>";
}

}  // namespace veldmark
