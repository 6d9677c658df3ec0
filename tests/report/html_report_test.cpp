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
  summary.outcome.optimumReached = true;
  summary.tableTotal = 9;
  for (int k = 0; k < 4; ++k) {
    summary.fit.push_back(LinkFit{1, 2, 9 + k, 10.0 + k, 10.5 + k, 0.5, 0.11 + k});
  }
  summary.fitStatistics.shareGehBelow5 = 1;
  summary.fitStatistics.largestGeh = 3.11;
  summary.fitStatistics.linksOff = 4;
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
  // The verdict first, then the run and its details.
  std::size_t previous = 0;
  for (const char* section : {"verdict", "run", "convergence", "fit", "trip-ends", "table"}) {
    const std::size_t at = html.find("<section id=\"" + std::string(section) + "\">");
    EXPECT_NE(at, std::string::npos) << section;
    EXPECT_GT(at, previous) << section;
    previous = at;
  }
  EXPECT_EQ(html.find("<section id=\"comparison\">"), std::string::npos);
  EXPECT_EQ(marksOf(html, "convergence"), 3);
  EXPECT_EQ(marksOf(html, "passes"), 3);
  EXPECT_EQ(marksOf(html, "objective"), 3);
  EXPECT_EQ(marksOf(html, "fit"), 4);
  EXPECT_EQ(marksOf(html, "geh"), 4);
  EXPECT_EQ(marksOf(html, "trip-ends"), 6);  // 3 zones, origins and destinations
  EXPECT_EQ(marksOf(html, "heatmap"), 4);    // the positive cells
  EXPECT_NE(html.find("It reached its optimum after 3 iterations."), std::string::npos);
  EXPECT_NE(html.find("4 of 4 counts (100.0%) are met within GEH 5, at least the 85%"),
            std::string::npos);
  EXPECT_NE(html.find("the worst GEH is 3.11 (line 12, 1 &rarr; 2)"), std::string::npos);
  // The links off their counts are listed by GEH, the largest first.
  EXPECT_NE(html.find("<h3>The 4 links of the largest GEH</h3>"), std::string::npos);
  EXPECT_LT(html.find("<td>3.11</td>"), html.find("<td>0.11</td>"));
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
  summary.outcome = {false, "the 25-iteration limit was reached"};
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
    EXPECT_NE(html.find("It <strong>stopped</strong> after 3 iterations without reaching its "
                        "optimum: the 25-iteration limit was reached."),
              std::string::npos);
    EXPECT_EQ(html.find("converged"), std::string::npos);
    EXPECT_EQ(html.find("reached its optimum after"), std::string::npos);
  }
}

// The marks of the series `series` inside the chart named `name`.
int seriesMarksOf(const std::string& html, const std::string& name, const std::string& series) {
  const std::size_t start = html.find("data-chart=\"" + name + "\"");
  const std::string chart = html.substr(start, html.find("</svg>", start) - start);
  int marks = 0;
  for (std::size_t at = chart.find("data-series=\"" + series + "\""); at != std::string::npos;
       at = chart.find("data-series=\"" + series + "\"", at + 1)) {
    ++marks;
  }
  return marks;
}

TEST(HtmlReport, ComparisonInTheVerdictTheTripEndsAndItsOwnSection) {
  const RunSummary summary = smallSummary();
  ReportData data;
  data.summary = &summary;
  data.table = ZoneTable{{1, 2}, {0, 10, 20, 5}};
  // Reference zones 1, 2 and 25 zones the estimate lacks (100 to 124):
  // 1->1 2, 1->2 4, and 1 trip from each of the 25 to zone 1.
  ZoneTable reference{{1, 2}, {}};
  for (NodeId zone = 100; zone < 125; ++zone) reference.zones.push_back(zone);
  const std::size_t m = reference.zones.size();
  reference.values.assign(m * m, 0.0);
  reference.values[0] = 2.0;
  reference.values[1] = 4.0;
  for (std::size_t r = 2; r < m; ++r) reference.values[r * m] = 1.0;
  ReferenceComparison comparison = compareWithReference(data.table, reference);
  comparison.path = "ref<1>.csv";
  data.comparison = &comparison;
  const std::string html = htmlReport(data);
  EXPECT_NE(html.find("<section id=\"comparison\">"), std::string::npos);
  EXPECT_EQ(marksOf(html, "reference"), 4);  // one point per ordered pair
  EXPECT_NE(html.find("<code>ref&lt;1&gt;.csv</code>"), std::string::npos);
  // The verdict gives the reference's figures before any detail: the cells
  // (0, 10, 20, 5) against (2, 4, 0, 0) correlate to R^2 0.0649, the
  // estimate's total is 35 against 31 (1.13 times).
  const std::size_t verdict = html.find("<section id=\"verdict\">");
  const std::size_t cells = html.find("cells R&sup2; <strong>0.06</strong>");
  EXPECT_LT(verdict, cells);
  EXPECT_LT(cells, html.find("<section id=\"run\">"));
  EXPECT_NE(html.find("total 35 against 31 (1.13 times the reference's)"), std::string::npos);
  EXPECT_NE(html.find("yet its cells follow the reference only to R&sup2; 0.06."),
            std::string::npos);
  // The reference's trip ends beside the estimate's (origins 10 and 25,
  // destinations 20 and 15): origins 6 and 0, destinations 2 and 4.
  EXPECT_EQ(marksOf(html, "trip-ends"), -1);
  EXPECT_EQ(seriesMarksOf(html, "origins", "reference"), 2);
  EXPECT_EQ(seriesMarksOf(html, "origins", "estimate"), 2);
  EXPECT_EQ(seriesMarksOf(html, "destinations", "reference"), 2);
  EXPECT_NE(html.find("<tr><td>1</td><td>10.0</td><td>20.0</td><td>6.0</td><td>2.0</td></tr>"),
            std::string::npos);
  // Missing zones: the first 20 and how many more.
  EXPECT_EQ(html.find("zones of the estimate are not in the reference"), std::string::npos);
  EXPECT_NE(html.find("25 zones of the reference are not in the estimate (left out): 100 101 "),
            std::string::npos);
  EXPECT_NE(html.find(" 118 119 and 5 more.</p>"), std::string::npos);
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
    ZoneTable reference{data.table.zones, std::vector<double>(data.table.values.size(), 0.0)};
    for (int k = 0; k < n * n; k += 3) reference.values[k] = 1.0 + k % 1009;
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
