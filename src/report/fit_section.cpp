// The fit of the estimate to the observed counts.
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

// The links in order of |estimated - observed|, largest first (file order on ties).
std::vector<int> furthestLinks(const std::vector<LinkFit>& links) {
  std::vector<int> order(links.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return std::fabs(links[a].estimated - links[a].observed) >
           std::fabs(links[b].estimated - links[b].observed);
  });
  if (order.size() > static_cast<std::size_t>(kFurthestLinks)) order.resize(kFurthestLinks);
  return order;
}

std::string furthestTable(const std::vector<LinkFit>& links) {
  std::string html =
      "<table class=\"numbers\">" +
      tableRow({"line", "link", "observed", "estimated", "difference", "relative difference"},
               true);
  for (int k : furthestLinks(links)) {
    const LinkFit& link = links[k];
    const double difference = link.estimated - link.observed;
    html +=
        tableRow({std::to_string(link.line), linkName(link), fixed(link.observed, 1),
                  fixed(link.estimated, 1), fixed(difference, 1),
                  link.observed != 0 ? fixed(100 * difference / link.observed, 2) + "%" : "n/a"});
  }
  return html + "</table>";
}

}  // namespace

std::string fitSection(const ReportData& data) {
  std::vector<double> observed, estimated;
  for (const LinkFit& link : data.summary->fit) {
    observed.push_back(link.observed);
    estimated.push_back(link.estimated);
  }
  const ComparisonStatistics fit = compareValues(estimated, observed);
  return "<section id=\"fit\"><h2>Fit to the counts</h2><p>Each point is an abstract link: its "
         "observed flow across, the flow the estimate puts on it up. Points on the diagonal are "
         "met exactly. R&sup2; " +
         fixed(fit.rSquared, 4) + ", RMSE " + significant(fit.rmse) + " (" +
         fixed(100 * fit.relativeRmse, 2) + "% of the mean count).</p><figure>" +
         fitChart(data.summary->fit) + "<figcaption>Observed against estimated flow, " +
         std::to_string(data.summary->fit.size()) +
         " links</figcaption></figure><h3>The links furthest from the diagonal</h3>" +
         furthestTable(data.summary->fit) + "</section>";
}

}  // namespace veldmark
