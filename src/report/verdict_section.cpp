// The verdict that opens the report: what the estimate is worth, in plain
// words and figures, before any detail. It reads only what every method
// leaves (the fit to the counts, the run's outcome, the reference's
// statistics), so that each method's own sections follow it unchanged.
#include <cmath>
#include <string>

#include "report/html_text.h"
#include "report/report_sections.h"

namespace veldmark {
namespace {

// "70 of 76 counts (92.1%) are met within GEH 5 ...; the worst GEH is 7.12 (line 9, 1 → 2)".
std::string countsLine(const RunSummary& summary) {
  const std::vector<LinkFit>& fit = summary.fit;
  const FitStatistics& statistics = summary.fitStatistics;
  if (fit.empty()) return "<li><strong>Counts:</strong> the run had no counted link.</li>";
  long long within = 0;
  std::size_t worst = 0;
  for (std::size_t k = 0; k < fit.size(); ++k) {
    if (fit[k].geh < kGehGood) ++within;
    if (fit[k].geh > fit[worst].geh) worst = k;
  }
  const bool ruleMet = statistics.shareGehBelow5 >= kGehShareGood;
  const std::string worstLink = statistics.largestGeh == 0
                                    ? "; every count is met exactly (GEH 0)"
                                    : "; the worst GEH is " + fixed(statistics.largestGeh, 2) +
                                          " (line " + std::to_string(fit[worst].line) + ", " +
                                          std::to_string(fit[worst].from) + " &rarr; " +
                                          std::to_string(fit[worst].to) + ")";
  return "<li><strong>Counts:</strong> " + std::to_string(within) + " of " +
         counted(static_cast<long long>(fit.size()), "count", "counts") + " (" +
         fixed(100 * statistics.shareGehBelow5, 1) + "%) are met within GEH 5, " +
         (ruleMet ? "at least" : "<strong>fewer than</strong>") + " the 85% planners ask for" +
         worstLink + ".</li>";
}

// Method-neutral: only the outcome, whose reason says where the run stopped.
std::string outcomeLine(const RunSummary& summary) {
  if (summary.outcome.optimumReached) {
    return "<li><strong>The run</strong> reached its optimum.</li>";
  }
  return "<li><strong>The run stopped</strong> without reaching its optimum: " +
         escapeHtml(summary.outcome.stoppedBecause) + ". The table is where the run stopped.</li>";
}

std::string referenceLine(const ReferenceComparison& comparison) {
  const double ratio = comparison.estimateTotal / comparison.referenceTotal;
  return "<li><strong>Against the reference</strong> <code>" + escapeHtml(comparison.path) +
         "</code>: cells R&sup2; <strong>" + fixed(comparison.cells.rSquared, 2) +
         "</strong>, trip ends R&sup2; " + fixed(comparison.origins.rSquared, 2) +
         " (origins) and " + fixed(comparison.destinations.rSquared, 2) +
         " (destinations), cells RMSE " + fixed(100 * comparison.cells.relativeRmse, 0) +
         "% of the mean cell; total " + grouped(comparison.estimateTotal) + " against " +
         grouped(comparison.referenceTotal) + " (" + fixed(ratio, 2) +
         " times the reference's).</li>";
}

// The limit of any estimate from counts, with the figure that shows it here.
std::string limitParagraph(const ReportData& data) {
  std::string html =
      "<p class=\"limit\">Meeting the counts does not make a table right: many tables meet the "
      "same counts, and the counts alone cannot tell them apart.";
  if (data.comparison == nullptr) {
    return html +
           " Compare the table with one you trust (<code>--reference</code>) before using its "
           "cells.</p>";
  }
  return html + " Here the estimate meets " +
         fixed(100 * data.summary->fitStatistics.shareGehBelow5, 1) +
         "% of its counts within GEH 5, yet its cells follow the reference only to R&sup2; " +
         fixed(data.comparison->cells.rSquared, 2) + ".</p>";
}

}  // namespace

std::string verdictSection(const ReportData& data) {
  std::string html =
      "<section id=\"verdict\"><h2>What the estimate is worth</h2><ul class=\"verdict\">" +
      countsLine(*data.summary) + outcomeLine(*data.summary);
  if (data.comparison != nullptr) html += referenceLine(*data.comparison);
  return html + "</ul>" + limitParagraph(data) + "</section>";
}

}  // namespace veldmark
