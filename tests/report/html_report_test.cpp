#include "report/html_report.h"

#include <gtest/gtest.h>

#include <string>

#include "report/heat_map.h"

namespace veldmark {
namespace {

// The marks inside the chart named `name` (-1 when the page has no such chart).
int marksOf(const std::string& html, const std::string& name) {
  const std::size_t start = html.find("data-chart=\"" + name + "\"");
  if (start == std::string::npos) return -1;
  const std::string chart = html.substr(start, html.find("</svg>", start) - start);
  int marks = 0;
  for (std::size_t at = chart.find("class=\"mark"); at != std::string::npos;
       at = chart.find("class=\"mark", at + 1)) {
    ++marks;
  }
  return marks;
}

RunSummary smallSummary() {
  RunSummary summary;
  summary.inputs = {"base <1>.txt", "abs.txt", "flows.txt", 3, 4};
  for (double average : {0.5, 0.01, 0.0005}) {
    IterationRecord iteration;
    iteration.average = average;
    iteration.pivotLoop.passes = 2;
    iteration.objective = -average;
    summary.iterations.push_back(iteration);
  }
  summary.converged = true;
  summary.tableTotal = 9;
  for (int k = 0; k < 4; ++k) summary.fit.push_back(LinkFit{1, 2, 9 + k, 10.0 + k, 10.5 + k});
  summary.warnings.push_back(Warning{"flows.txt:7: a <b>link</b> & more"});
  return summary;
}

TEST(HtmlReport, EverySectionWithItsMarksAndEveryNameEscaped) {
  const RunSummary summary = smallSummary();
  ReportData data;
  data.summary = &summary;
  data.tripsPath = "out <&> 'x\".txt";
  data.table = ZoneTable{{1, 2, 3}, {0, 1, 2, 3, 0, 0, 0, 0, 3}};
  const std::string html = htmlReport(data);
  for (const char* section : {"run", "convergence", "fit", "trip-ends", "table"}) {
    EXPECT_NE(html.find("<section id=\"" + std::string(section) + "\">"), std::string::npos);
  }
  EXPECT_EQ(html.find("<section id=\"comparison\">"), std::string::npos);
  EXPECT_EQ(marksOf(html, "convergence"), 3);
  EXPECT_EQ(marksOf(html, "passes"), 3);
  EXPECT_EQ(marksOf(html, "objective"), 3);
  EXPECT_EQ(marksOf(html, "fit"), 4);
  EXPECT_EQ(marksOf(html, "trip-ends"), 6);  // 3 zones, origins and destinations
  EXPECT_EQ(marksOf(html, "heatmap"), 4);    // the positive cells
  EXPECT_NE(html.find("It converged after 3 iterations"), std::string::npos);
  EXPECT_NE(html.find("totals <strong>9.0</strong>"), std::string::npos);
  // Nothing is fetched when the page opens; every input string is escaped.
  for (const char* outside : {"<script", "src=", "href=", "url(", "@import"}) {
    EXPECT_EQ(html.find(outside), std::string::npos) << outside;
  }
  EXPECT_NE(html.find("out &lt;&amp;&gt; &#39;x&quot;.txt"), std::string::npos);
  EXPECT_NE(html.find("base &lt;1&gt;.txt"), std::string::npos);
  EXPECT_NE(html.find("a &lt;b&gt;link&lt;/b&gt; &amp; more"), std::string::npos);
  EXPECT_EQ(html.find("<b>link"), std::string::npos);
  EXPECT_EQ(html.find("out <&>"), std::string::npos);
}

TEST(HtmlReport, HeatMapUpToItsLimitAndTheLargestPairsForAnySize) {
  RunSummary summary = smallSummary();
  summary.converged = false;
  ReportData data;
  data.summary = &summary;
  for (int n : {kMaxHeatMapZones, kMaxHeatMapZones + 1}) {
    data.table.zones.clear();
    data.table.values.clear();
    for (int k = 0; k < n; ++k) data.table.zones.push_back(1000 + k);
    for (int k = 0; k < n * n; ++k) data.table.values.push_back(k);
    const std::string html = htmlReport(data);
    EXPECT_EQ(marksOf(html, "heatmap"), n <= kMaxHeatMapZones ? n * n - 1 : -1);
    EXPECT_EQ(marksOf(html, "trip-ends"), 60);  // the 30 largest zones drawn
    // The largest pair is the last cell; every zone is in the trip-end table.
    const std::string last = std::to_string(1000 + n - 1);
    EXPECT_NE(html.find("<tr><td>1</td><td>" + last + "</td><td>" + last + "</td>"),
              std::string::npos);
    EXPECT_NE(html.find("<tr><td>" + last + "</td>"), std::string::npos);
    EXPECT_NE(html.find("stopped at the limit</strong> of 3 iterations"), std::string::npos);
  }
}

TEST(HtmlReport, ComparisonSectionWithItsScatter) {
  const RunSummary summary = smallSummary();
  ReportData data;
  data.summary = &summary;
  data.table = ZoneTable{{1, 2}, {0, 10, 20, 5}};
  ReferenceTable reference;
  reference.zones = {1, 3};
  reference.values = {{{1, 1}, 2.0}, {{1, 3}, 4.0}};
  ReferenceComparison comparison = compareWithReference(data.table, reference);
  comparison.path = "ref<1>.csv";
  data.comparison = &comparison;
  const std::string html = htmlReport(data);
  EXPECT_NE(html.find("<section id=\"comparison\">"), std::string::npos);
  EXPECT_EQ(marksOf(html, "reference"), 4);  // one point per ordered pair
  EXPECT_NE(html.find("<code>ref&lt;1&gt;.csv</code>"), std::string::npos);
  EXPECT_NE(html.find("1 zones of the estimate are not in the reference (counted as 0): 2."),
            std::string::npos);
}

// The largest pages: every cell positive (the heat map full at 150 zones,
// the reference scatter binned), 5000 links with their tooltips, 1000 zones.
TEST(HtmlReport, PageStaysUnderFiveMegabytesAtTheLimits) {
  RunSummary summary = smallSummary();
  summary.fit.assign(5000, LinkFit{123456, 654321, 12345, 123456.7, 123456.8});
  ReportData data;
  data.summary = &summary;
  for (int n : {kMaxHeatMapZones, 1000}) {
    data.table.zones.clear();
    data.table.values.clear();
    for (int k = 0; k < n; ++k) data.table.zones.push_back(100000 + k);
    for (int k = 0; k < n * n; ++k) data.table.values.push_back(1000.0 + k % 977);
    ReferenceTable reference;
    reference.zones = data.table.zones;
    for (int k = 0; k < n * n; k += 3) {
      reference.values[{data.table.zones[k / n], data.table.zones[k % n]}] = 1.0 + k % 1009;
    }
    const ReferenceComparison comparison = compareWithReference(data.table, reference);
    data.comparison = &comparison;
    const std::string html = htmlReport(data);
    EXPECT_LT(html.size(), 5000000u) << n << " zones";
    EXPECT_EQ(marksOf(html, "fit"), 5000);
    EXPECT_GT(marksOf(html, "reference"), 0);
  }
}

}  // namespace
}  // namespace veldmark
