#include "report/warnings.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "estimation/linearised/limits.h"
#include "output/shortest_number.h"
#include "veldmark/constants.h"

namespace veldmark {
namespace {

constexpr std::size_t kListed = 5;       // lines and links named one by one
constexpr double kGehAcceptance = 0.85;  // share of counts within GEH 5 of a calibrated model

std::string pair(NodeId from, NodeId to) {
  return std::to_string(from) + " to " + std::to_string(to);
}

void unmatchedFlowLines(const RunPieces& pieces, std::vector<Warning>& warnings) {
  const std::vector<UnmatchedFlowLine>& unmatched = pieces.flows.unmatched;
  for (std::size_t i = 0; i < unmatched.size() && i < kListed; ++i) {
    const std::string where = pieces.flowPath + ":" + std::to_string(unmatched[i].line);
    warnings.push_back(Warning{where + ": flow line from " +
                               pair(unmatched[i].from, unmatched[i].to) +
                               " names no abstract link (skipped)"});
  }
  if (unmatched.size() > kListed) {
    warnings.push_back(Warning{pieces.flowPath + ": " + std::to_string(unmatched.size() - kListed) +
                               " more flow lines name no abstract link (skipped)"});
  }
}

void linksWithoutCount(const RunPieces& pieces, std::vector<Warning>& warnings) {
  const AbstractNetwork& network = pieces.abstract;
  std::string listed;
  std::size_t count = 0;
  for (int k = 0; k < network.linkCount(); ++k) {
    const std::vector<std::uint8_t>& named = pieces.flows.linkNamed;
    if (k >= static_cast<int>(named.size()) || named[k]) continue;
    if (++count > kListed) continue;
    listed += std::string(count > 1 ? ", " : "") + "line " +
              std::to_string(network.lineNumbers[k]) + " (" +
              pair(network.endpoints[k].from, network.endpoints[k].to) + ")";
  }
  if (count == 0) return;
  if (count > kListed) listed += ", ...";
  if (balancesPrior(pieces.estimate.method)) {
    warnings.push_back(Warning{network.path + ": " + std::to_string(count) +
                               " abstract link(s) named by no flow line have no count (modelled, "
                               "not fitted): " +
                               listed});
    return;
  }
  warnings.push_back(Warning{network.path + ": " + std::to_string(count) +
                             " abstract link(s) named by no flow line count as " +
                             shortestNumber(kFlowFloor) + ": " + listed});
}

void iterationLimit(const RunPieces& pieces, const RunSummary& summary,
                    std::vector<Warning>& warnings) {
  if (pieces.estimate.linearised.converged || summary.iterations.empty()) return;
  warnings.push_back(Warning{
      "the estimation stopped at the " + std::to_string(kMaxOuterIterations) +
      "-iteration limit without reaching the tolerance " + shortestNumber(kConvergenceTolerance) +
      " (last average O-D flow difference: " + shortestNumber(summary.iterations.back().average) +
      ")"});
}

// Below the tolerance, yet not at the optimum: the average alone would read
// as convergence, so the run is said to have stopped, and why.
void stoppedShort(const RunPieces& pieces, const RunSummary& summary,
                  std::vector<Warning>& warnings) {
  if (!pieces.estimate.linearised.converged || summary.outcome.optimumReached) return;
  warnings.push_back(Warning{"the estimation stopped after " +
                             std::to_string(summary.iterations.size()) +
                             " iterations, not converged: " + summary.outcome.stoppedBecause});
}

void pivotStops(const RunSummary& summary, std::vector<Warning>& warnings) {
  const struct {
    PivotStop stop;
    std::string how;
  } kStops[] = {{PivotStop::kPassCap, "at the " + std::to_string(kMaxPivotPasses) + "-pass cap"},
                {PivotStop::kSingularBasis, "at a singular basis"},
                {PivotStop::kNoLeavingPosition, "without a leaving position"}};
  for (const auto& kind : kStops) {
    std::string listed;
    int count = 0;
    for (std::size_t i = 0; i < summary.iterations.size(); ++i) {
      if (summary.iterations[i].pivotLoop.stop != kind.stop) continue;
      listed += std::string(count++ > 0 ? ", " : "") + std::to_string(i + 1);
    }
    if (count == 0) continue;
    warnings.push_back(
        Warning{"the pivot loop stopped " + kind.how + " in " + std::to_string(count) + " of " +
                std::to_string(summary.iterations.size()) + " iterations: " + listed});
  }
}

void failedChecks(const RunSummary& summary, std::vector<Warning>& warnings) {
  int failed = 0, passes = 0;
  for (const IterationRecord& iteration : summary.iterations) {
    failed += iteration.pivotLoop.failedChecks;
    passes += iteration.pivotLoop.passes;
  }
  if (failed == 0) return;
  warnings.push_back(Warning{"the inverse check failed on " + std::to_string(failed) + " of " +
                             std::to_string(passes) +
                             " pivot passes (the check matrices on the console)"});
}

void countsMissed(const RunPieces& pieces, const RunSummary& summary,
                  std::vector<Warning>& warnings) {
  const FitStatistics& statistics = summary.fitStatistics;
  if (balancesPrior(summary.method) || statistics.linksOff == 0) return;
  const LinkFit& worst = summary.fit[statistics.worstLink];
  warnings.push_back(Warning{pieces.abstract.path + ":" + std::to_string(worst.line) + ": " +
                             std::to_string(statistics.linksOff) +
                             " abstract link(s) off their counts by more than a relative " +
                             shortestNumber(kFitTolerance) + ", the most this one from " +
                             pair(worst.from, worst.to) + ": count " +
                             shortestNumber(worst.observed) + ", estimated " +
                             shortestNumber(worst.estimated)});
}

// A balancing method's counts fit worse than the usual acceptance rule.
void countFit(const RunSummary& summary, std::vector<Warning>& warnings) {
  const double share = summary.fitStatistics.shareGehBelow5;
  if (!balancesPrior(summary.method) || summary.fit.empty() || share >= kGehAcceptance) return;
  warnings.push_back(Warning{"only " + shortestNumber(std::round(1000.0 * share) / 10.0) +
                             "% of the counts are within GEH 5 of the estimate's volumes (the "
                             "usual acceptance is " +
                             shortestNumber(100.0 * kGehAcceptance) +
                             "%): the prior, the routes or the counts disagree"});
}

// A balancing method's levels that stopped short.
void levelStops(const RunSummary& summary, std::vector<Warning>& warnings) {
  const char* method = methodName(summary.method);
  for (std::size_t i = 0; i < summary.balancing.levels.size(); ++i) {
    const LevelRecord& level = summary.balancing.levels[i];
    const std::string where = " at level " + std::to_string(i + 1);
    if (level.assignmentCapped) {
      warnings.push_back(Warning{"the assignment" + where +
                                 " stopped at its iteration limit at "
                                 "relative gap " +
                                 shortestNumber(level.assignmentGap)});
    }
    if (!level.converged && summary.method == EstimationMethod::kGradient) {
      warnings.push_back(Warning{"the gradient adjustment" + where + " stopped at its step limit"});
    } else if (!level.converged) {
      warnings.push_back(Warning{std::string("the ") + method + " balancing" + where +
                                 " stopped before its tolerance"});
    }
  }
  if (summary.balancing.unreachablePairs > 0) {
    warnings.push_back(Warning{std::to_string(summary.balancing.unreachablePairs) +
                               " zone pair(s) with prior trips that no route joins: their " +
                               shortestNumber(summary.balancing.unreachableTrips) +
                               " trips are kept as the prior has them"});
  }
}

}  // namespace

std::vector<Warning> collectWarnings(const RunPieces& pieces, const RunSummary& summary) {
  std::vector<Warning> warnings;
  if (pieces.inputWarnings != nullptr) {
    for (const std::string& warning : *pieces.inputWarnings) warnings.push_back(Warning{warning});
  }
  unmatchedFlowLines(pieces, warnings);
  linksWithoutCount(pieces, warnings);
  iterationLimit(pieces, summary, warnings);
  pivotStops(summary, warnings);
  failedChecks(summary, warnings);
  countsMissed(pieces, summary, warnings);
  stoppedShort(pieces, summary, warnings);
  countFit(summary, warnings);
  levelStops(summary, warnings);
  return warnings;
}

}  // namespace veldmark
