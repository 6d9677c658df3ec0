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
  inputs.zones = balancesPrior(pieces.estimate.method)
                     ? static_cast<int>(pieces.estimate.zones.size())
                     : pieces.abstract.zoneCount();
  inputs.links = pieces.abstract.linkCount();
  inputs.flowLinesMatched = pieces.flows.matchedLines;
  inputs.flowLinesUnmatched = static_cast<int>(pieces.flows.unmatched.size());
  for (const std::uint8_t named : pieces.flows.linkNamed) {
    if (!named) ++inputs.linksWithoutCount;
  }
  inputs.zeroFlowsFloored = pieces.flows.zeroFlows;
  return inputs;
}

// The links a balancing method fitted: those with a count.
std::vector<LinkFit> countedOnly(const std::vector<LinkFit>& fit,
                                 const std::vector<std::uint8_t>& named) {
  std::vector<LinkFit> counted;
  for (std::size_t k = 0; k < fit.size(); ++k) {
    if (k >= named.size() || named[k]) counted.push_back(fit[k]);
  }
  return counted;
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
  summary.outcome = pieces.estimate.outcome;
  summary.tableTotal = tableTotal(pieces.estimate);
  summary.fit = fitLinks(pieces.abstract, pieces.estimate.countedVolumes);
  if (balancesPrior(summary.method)) {
    summary.balancing = pieces.estimate.balancing;
    summary.fit = countedOnly(summary.fit, pieces.flows.linkNamed);
  } else {
    summary.iterations = pieces.estimate.linearised.iterations;
  }
  summary.fitStatistics = fitStatistics(summary.fit);
  summary.warnings = collectWarnings(pieces, summary);
  return summary;
}

}  // namespace veldmark
