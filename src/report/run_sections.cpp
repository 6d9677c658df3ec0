// The run paragraph and the convergence charts.
#include <cmath>
#include <string>
#include <vector>

#include "estimation/linearised/limits.h"
#include "report/html_text.h"
#include "report/report_sections.h"
#include "report/svg_chart.h"
#include "veldmark/constants.h"

namespace veldmark {
namespace {

std::string code(const std::string& path) {
  return "<code>" + escapeHtml(path) + "</code>";
}

// "reached its optimum after 3 iterations" (the iterations of a method
// that records them) or "stopped ... without reaching its optimum: why".
std::string outcome(const RunSummary& summary) {
  const std::size_t count = summary.iterations.size();
  const std::string after =
      count > 0 ? " after " + counted(static_cast<long long>(count), "iteration", "iterations")
                : "";
  if (summary.outcome.optimumReached) return "It reached its optimum" + after + ".";
  return "It <strong>stopped</strong>" + after +
         " without reaching its optimum: " + escapeHtml(summary.outcome.stoppedBecause) + ".";
}

std::string warningList(const std::vector<Warning>& warnings) {
  if (warnings.empty()) return "<p>No warnings.</p>";
  std::string html = "<p>Warnings:</p><ul class=\"warnings\">";
  for (const Warning& warning : warnings) html += "<li>" + escapeHtml(warning.message) + "</li>";
  return html + "</ul>";
}

// The end of an iteration axis: at least 5, so that its ticks are whole numbers.
double axisEnd(const std::vector<IterationRecord>& iterations) {
  return std::fmax(5.0, double(iterations.size()));
}

// The iteration numbers 1 .. K as doubles.
std::vector<double> iterationNumbers(const std::vector<IterationRecord>& iterations) {
  std::vector<double> numbers;
  for (std::size_t k = 1; k <= iterations.size(); ++k) numbers.push_back(double(k));
  return numbers;
}

std::string averageChart(const std::vector<IterationRecord>& iterations) {
  std::vector<double> xs, ys;
  double smallest = kConvergenceTolerance / 10, largest = kConvergenceTolerance;
  for (std::size_t k = 0; k < iterations.size(); ++k) {
    const double average = iterations[k].average;
    if (!(average > 0) || !std::isfinite(average)) continue;  // not drawable on a log scale
    xs.push_back(double(k + 1));
    ys.push_back(average);
    smallest = std::fmin(smallest, average);
    largest = std::fmax(largest, average);
  }
  ChartFrame frame =
      linearFrame("convergence", "Average change per iteration", 0, axisEnd(iterations), 0, 1);
  frame.y = logAxis(smallest, largest, kPlotBottom, kPlotTop);
  frame.xLabel = "outer iteration";
  frame.yLabel = "average O-D flow difference";
  return chartStart(frame) +
         guideLine(frame, frame.x.low, kConvergenceTolerance, frame.x.high, kConvergenceTolerance,
                   "tolerance " + significant(kConvergenceTolerance)) +
         polyline(frame, xs, ys) + pointMarks(frame, xs, ys, {}) + chartEnd();
}

std::string passesChart(const std::vector<IterationRecord>& iterations) {
  std::vector<std::string> categories;
  BarSeries passes{"pivot passes", "#4a7ab5", {}};
  double most = 1;
  for (std::size_t k = 0; k < iterations.size(); ++k) {
    categories.push_back(std::to_string(k + 1));
    passes.values.push_back(iterations[k].pivotLoop.passes);
    most = std::fmax(most, passes.values.back());
  }
  ChartFrame frame = linearFrame("passes", "Pivot passes per iteration", 0, 1, 0, most);
  frame.xLabel = "outer iteration";
  frame.yLabel = "pivot passes";
  const std::string cap =
      most >= kMaxPivotPasses
          ? guideLine(frame, frame.x.low, kMaxPivotPasses, frame.x.high, kMaxPivotPasses,
                      "pass cap " + std::to_string(kMaxPivotPasses))
          : "";
  return chartStart(frame, false) + barMarks(frame, categories, {passes}) + cap + chartEnd();
}

std::string objectiveChart(const std::vector<IterationRecord>& iterations) {
  std::vector<double> xs = iterationNumbers(iterations), ys;
  double smallest = INFINITY, largest = -INFINITY;
  for (const IterationRecord& iteration : iterations) {
    ys.push_back(iteration.objective);
    smallest = std::fmin(smallest, iteration.objective);
    largest = std::fmax(largest, iteration.objective);
  }
  ChartFrame frame =
      linearFrame("objective", "Objective per iteration", 0, axisEnd(iterations), 0, 1);
  if (!xs.empty()) frame.y = spanAxis(smallest, largest, kPlotBottom, kPlotTop);
  frame.xLabel = "outer iteration";
  frame.yLabel = "sum of x (ln x - 1)";
  return chartStart(frame) + polyline(frame, xs, ys) + pointMarks(frame, xs, ys, {}) + chartEnd();
}

}  // namespace

std::string runSection(const ReportData& data) {
  const RunInputs& inputs = data.summary->inputs;
  const std::string method = balancesPrior(data.summary->method)
                                 ? std::string(" by the ") + methodName(data.summary->method) +
                                       " method, a prior balanced to"
                                 : " from";
  const std::string html = "<section id=\"run\"><h2>The run</h2><p>Veldmark estimated a table of " +
                           std::to_string(inputs.zones) + " zones" + method +
                           " the observed flows on " + std::to_string(inputs.links) +
                           " abstract links (base network " + code(inputs.basePath) +
                           ", abstract network " + code(inputs.abstractPath) + ", flows " +
                           code(inputs.flowPath) + "). " + outcome(*data.summary) +
                           " The table totals <strong>" + fixed(data.summary->tableTotal, 1) +
                           (data.tableWritten ? "</strong> trips and was written to "
                                              : "</strong> trips but could <strong>not</strong> "
                                                "be written to ") +
                           code(data.tripsPath) + ".</p>";
  return html + warningList(data.summary->warnings) + "</section>";
}

std::string convergenceSection(const ReportData& data) {
  return "<section id=\"convergence\"><h2>Convergence</h2>"
         "<p>The average relative change of the table per outer iteration (log scale; the run "
         "stops once it falls below the dashed tolerance), the pivot passes of each "
         "iteration's linear programme (a programme cut off at the dashed pass cap was not "
         "solved), and the objective of each new table.</p>"
         "<div class=\"charts\"><figure>" +
         averageChart(data.summary->iterations) +
         "<figcaption>Average change per iteration</figcaption></figure><figure>" +
         passesChart(data.summary->iterations) +
         "<figcaption>Pivot passes per iteration</figcaption></figure><figure>" +
         objectiveChart(data.summary->iterations) +
         "<figcaption>Objective per iteration</figcaption></figure></div></section>";
}

}  // namespace veldmark
