#include "report/run_summary.h"

#include <cmath>

#include "report/fit.h"
#include "report/warnings.h"

namespace veldmark {
namespace {

RunInputs summariseInputs(const RunPieces& pieces) {
  RunInputs inputs;
  inputs.basePath = pieces.basePath;
  inputs.abstractPath = pieces.abstract.path;
  inputs.flowPath = pieces.flowPath;
  inputs.zones = pieces.abstract.zoneCount();
  inputs.links = pieces.abstract.linkCount();
  inputs.flowLinesMatched = pieces.flows.matchedLines;
  inputs.flowLinesUnmatched = static_cast<int>(pieces.flows.unmatched.size());
  for (const std::uint8_t named : pieces.flows.linkNamed) {
    if (!named) ++inputs.linksWithoutCount;
  }
  inputs.zeroFlowsFloored = pieces.flows.zeroFlows;
  return inputs;
}

// The sum of |table| in the order the trip table file adds it up.
double tableTotal(const Estimate& estimate) {
  const int n = static_cast<int>(estimate.zones.size());
  double total = 0.0;
  for (int i = 0; i < n; ++i) {
    const double* row = estimate.table[i];
    for (int j = 0; j < n; ++j) total = std::fabs(row[j]) + total;
  }
  return total;
}

}  // namespace

RunSummary buildRunSummary(const RunPieces& pieces) {
  RunSummary summary;
  summary.method = pieces.estimate.method;
  summary.inputs = summariseInputs(pieces);
  summary.iterations = pieces.estimate.linearised.iterations;
  summary.outcome = pieces.estimate.outcome;
  summary.tableTotal = tableTotal(pieces.estimate);
  summary.fit = fitLinks(pieces.abstract, pieces.estimate.countedVolumes);
  summary.fitStatistics = fitStatistics(summary.fit);
  summary.warnings = collectWarnings(pieces, summary);
  return summary;
}

}  // namespace veldmark
