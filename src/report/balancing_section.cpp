// The report's section on a balancing method's run (entropy, gradient): the
// count weight with the held-out fit of each weight tried, and per level the
// equilibrium assignment that gave the routes and the balancing on them.
#include <cmath>
#include <string>

#include "report/html_text.h"
#include "report/report_sections.h"

namespace veldmark {
namespace {

std::string weightText(double weight) {
  return std::isinf(weight) ? "inf" : significant(weight);
}

// The count weight and trip-end weight, and how the count weight was chosen.
std::string weightsParagraph(const RunSummary& summary) {
  const BalancingRecord& record = summary.balancing;
  if (summary.method != EstimationMethod::kEntropy) {
    return "<p>The prior was adjusted by gradient steps on the squared misfit of the counts "
           "(at most the step limit per level), which keeps it near the prior where the counts "
           "say little.</p>";
  }
  std::string html = "<p>Count weight κ = " + weightText(record.countWeight);
  html += record.countWeightChosen && record.chosenTrial >= 0
              ? ", chosen by " + std::to_string(record.folds) +
                    "-fold cross-validation as the weight whose estimate best predicts the "
                    "counts it did not see"
              : "";
  html += std::isinf(record.tripEndWeight)
              ? "; no trip-end factors (the cells alone are scaled)."
              : "; trip-end weight ρ = " + weightText(record.tripEndWeight) +
                    " (rows and columns of the prior scale as wholes).";
  return html + "</p>";
}

// Each weight's held-out fit: the estimate made without a fold's counts,
// compared with them.
std::string trialsTable(const BalancingRecord& record) {
  if (record.trials.empty()) return "";
  std::string html =
      "<p>How well the estimate predicts counts it did not see: each fold of the counted links "
      "left out in turn, its counts compared with the volumes of the estimate made without "
      "them.</p><table>" +
      tableRow({"κ", "held-out counts within GEH 5", "held-out R²", "score"}, true);
  for (std::size_t i = 0; i < record.trials.size(); ++i) {
    const WeightTrial& trial = record.trials[i];
    const std::string mark = static_cast<int>(i) == record.chosenTrial ? " (used)" : "";
    html += tableRow({weightText(trial.countWeight) + mark,
                      fixed(100.0 * trial.shareGehBelow5, 1) + "%", fixed(trial.rSquared, 3),
                      significant(trial.score)});
  }
  return html + "</table>";
}

std::string levelsTable(const RunSummary& summary) {
  const bool gradient = summary.method == EstimationMethod::kGradient;
  std::string html =
      "<table>" +
      tableRow({"level", "routes from", "relative gap", "assignment iterations", "routes",
                gradient ? "gradient steps" : "balancing iterations", "converged"},
               true);
  const std::vector<LevelRecord>& levels = summary.balancing.levels;
  for (std::size_t i = 0; i < levels.size(); ++i) {
    const LevelRecord& level = levels[i];
    html += tableRow({std::to_string(i + 1), i == 0 ? "the prior" : "the estimate",
                      significant(level.assignmentGap) + (level.assignmentCapped ? " (limit)" : ""),
                      std::to_string(level.assignmentIterations), std::to_string(level.routes),
                      std::to_string(level.steps), level.converged ? "yes" : "no"});
  }
  return html + "</table>";
}

}  // namespace

std::string balancingSection(const ReportData& data) {
  const RunSummary& summary = *data.summary;
  return "<section id=\"balancing\"><h2>Routes and balancing</h2><p>The routes come from an "
         "equilibrium assignment of the prior to the road network; each further level assigns "
         "the estimate again and balances the prior on the new routes.</p>" +
         weightsParagraph(summary) + trialsTable(summary.balancing) + levelsTable(summary) +
         "</section>";
}

}  // namespace veldmark
