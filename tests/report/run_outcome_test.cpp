// How the reports say the run ended: a run below the tolerance whose last
// linear programme was cut off is "stopped", with the reason, in the final
// warning, in the JSON summary and on the page; never "converged".
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "estimation/linearised/limits.h"
#include "estimation/linearised/outcome.h"
#include "report/html_report.h"
#include "report/run_summary.h"
#include "report/summary_json.h"

namespace veldmark {
namespace {

// One link from 1 to 2 counted 100 and met; three iterations, the last
// average below the tolerance, the last programme ended by `lastStop`.
struct OneLinkRun {
  std::string base = "base.txt", flowPath = "flows.txt";
  AbstractNetwork abstract;
  FlowFileStatistics flows;
  Estimate estimate;

  explicit OneLinkRun(PivotStop lastStop) {
    abstract.path = "abstract.txt";
    abstract.endpoints = {{1, 2}};
    abstract.records.resize(1);
    abstract.records[0].observedFlow = 100;
    abstract.lineNumbers = {9};
    flows.matchedLines = 1;
    flows.linkNamed = {1};
    for (double average : {2.0, 0.1, 0.0004}) {
      IterationRecord iteration;
      iteration.average = average;
      iteration.pivotLoop.stop = PivotStop::kPassCap;
      estimate.linearised.iterations.push_back(iteration);
    }
    estimate.linearised.iterations.back().pivotLoop.stop = lastStop;
    estimate.linearised.converged = true;
    estimate.outcome = linearisedOutcome(estimate.linearised);
    estimate.countedVolumes = {100};
  }
  RunSummary summary() const {
    return buildRunSummary(RunPieces{base, abstract, flowPath, flows, estimate});
  }
};

TEST(RunOutcome, StoppedShortOfTheOptimumIsNeverCalledConverged) {
  const RunSummary summary = OneLinkRun(PivotStop::kSingularBasis).summary();
  const std::string reason =
      "the linear programme of iteration 3 stopped at a singular basis, so the last table is not "
      "known to be the optimum";
  ASSERT_FALSE(summary.warnings.empty());
  EXPECT_EQ(summary.warnings.back().message,
            "the estimation stopped after 3 iterations, not converged: " + reason);
  const nlohmann::json json = nlohmann::json::parse(formatSummaryJson(summary));
  EXPECT_EQ(json["end"]["converged"], false);
  EXPECT_EQ(json["end"]["stopped_because"], reason);
  EXPECT_EQ(json["end"]["fit"]["largest_geh"], 0.0);
  ReportData data;
  data.summary = &summary;
  data.table = ZoneTable{{1, 2}, {0, 100, 0, 0}};
  const std::string html = htmlReport(data);
  EXPECT_NE(html.find("<strong>The run stopped</strong> without reaching its optimum: " + reason),
            std::string::npos);
  EXPECT_NE(html.find("It <strong>stopped</strong> after 3 iterations without reaching its "
                      "optimum: " +
                      reason),
            std::string::npos);
  // "converged" only as "not converged", in the warning listed on the page.
  std::string claims = html;
  for (std::size_t at; (at = claims.find("not converged")) != std::string::npos;) {
    claims.erase(at, 13);
  }
  EXPECT_EQ(claims.find("converged"), std::string::npos);
  EXPECT_EQ(html.find("reached its optimum"), std::string::npos);
  // Every count met: one line, no list of zeros.
  EXPECT_NE(html.find("Every count is met"), std::string::npos);
  EXPECT_EQ(html.find("of the largest GEH</h3>"), std::string::npos);
}

TEST(RunOutcome, SolvedLastProgrammeBelowTheToleranceConvergesWithoutAWarning) {
  const RunSummary summary = OneLinkRun(PivotStop::kNoImprovingColumn).summary();
  // Only the earlier programmes' pass caps are warned about.
  ASSERT_EQ(summary.warnings.size(), 1u);
  EXPECT_EQ(summary.warnings[0].message,
            "the pivot loop stopped at the 500-pass cap in 2 of 3 iterations: 1, 2");
  const nlohmann::json json = nlohmann::json::parse(formatSummaryJson(summary));
  EXPECT_EQ(json["end"]["converged"], true);
  EXPECT_EQ(json["end"]["stopped_because"], "");
}

}  // namespace
}  // namespace veldmark
