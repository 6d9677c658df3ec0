#include "report/summary_json.h"

#include <nlohmann/json.hpp>

#include "report/balancing_json.h"
#include "report/reference_json.h"

namespace veldmark {
namespace {

using Json = nlohmann::ordered_json;

const char* pivotStopName(PivotStop stop) {
  switch (stop) {
    case PivotStop::kNoImprovingColumn:
      return "no improving column";
    case PivotStop::kPassCap:
      return "pass cap";
    case PivotStop::kSingularBasis:
      return "singular basis";
    case PivotStop::kNoLeavingPosition:
      return "no leaving position";
  }
  return "unknown";
}

Json inputsJson(const RunInputs& inputs) {
  return Json{{"base", inputs.basePath},
              {"abstract", inputs.abstractPath},
              {"flows", inputs.flowPath},
              {"zones", inputs.zones},
              {"links", inputs.links},
              {"flow_lines_matched", inputs.flowLinesMatched},
              {"flow_lines_unmatched", inputs.flowLinesUnmatched},
              {"links_without_count", inputs.linksWithoutCount},
              {"zero_flows_floored", inputs.zeroFlowsFloored}};
}

Json iterationJson(int number, const IterationRecord& iteration) {
  const PivotLoopResult& loop = iteration.pivotLoop;
  return Json{{"iteration", number},
              {"passes", loop.passes},
              {"pivots", loop.pivots},
              {"pivot_loop_end", pivotStopName(loop.stop)},
              {"failed_checks", loop.failedChecks},
              {"line_search_steps", iteration.lineSearchSteps},
              {"step", iteration.step},
              {"average", iteration.average},
              {"objective", iteration.objective}};
}

Json endJson(const RunSummary& summary) {
  const FitStatistics& fit = summary.fitStatistics;
  return Json{{"converged", summary.outcome.optimumReached},
              {"stopped_because", summary.outcome.stoppedBecause},
              {"iterations", summary.iterations.size()},
              {"table_total", summary.tableTotal},
              {"fit", Json{{"largest_absolute_difference", fit.largestAbsoluteDifference},
                           {"largest_relative_difference", fit.largestRelativeDifference},
                           {"rmse", fit.rmse},
                           {"share_geh_below_5", fit.shareGehBelow5},
                           {"largest_geh", fit.largestGeh},
                           {"links_off_count", fit.linksOff}}}};
}

}  // namespace

std::string formatSummaryJson(const RunSummary& summary, const ReferenceComparison* reference) {
  Json document;
  document["method"] = methodName(summary.method);
  document["inputs"] = inputsJson(summary.inputs);
  document["iterations"] = Json::array();
  for (std::size_t i = 0; i < summary.iterations.size(); ++i) {
    document["iterations"].push_back(iterationJson(static_cast<int>(i + 1), summary.iterations[i]));
  }
  document["end"] = endJson(summary);
  if (balancesPrior(summary.method)) document["balancing"] = balancingJson(summary.balancing);
  if (reference != nullptr) document["reference"] = referenceJson(*reference);
  document["warnings"] = Json::array();
  for (const Warning& warning : summary.warnings) document["warnings"].push_back(warning.message);
  return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace veldmark
