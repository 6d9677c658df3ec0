#include "estimation/linearised/outcome.h"

#include <cstdio>
#include <string>

#include "estimation/linearised/limits.h"

namespace veldmark {
namespace {

// How a linear programme that was not solved ended, or "" for a solved one.
std::string cutOff(PivotStop stop) {
  switch (stop) {
    case PivotStop::kNoImprovingColumn:
      return "";
    case PivotStop::kPassCap:
      return "at the " + std::to_string(kMaxPivotPasses) + "-pass cap";
    case PivotStop::kSingularBasis:
      return "at a singular basis";
    case PivotStop::kNoLeavingPosition:
      return "without a leaving position";
  }
  return "";
}

// A number with four significant digits, as a reader wants it in a sentence.
std::string brief(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", value);
  return text;
}

}  // namespace

RunOutcome linearisedOutcome(const EstimationRecord& record) {
  RunOutcome outcome;
  if (record.iterations.empty()) {
    outcome.stoppedBecause = "no iteration ran";
    return outcome;
  }
  const IterationRecord& last = record.iterations.back();
  if (!record.converged) {
    outcome.stoppedBecause =
        "the " + std::to_string(record.iterations.size()) +
        "-iteration limit was reached with the table still moving (last average O-D flow "
        "difference " +
        brief(last.average) + ", tolerance " + brief(kConvergenceTolerance) + ")";
    return outcome;
  }
  const std::string how = cutOff(last.pivotLoop.stop);
  if (!how.empty()) {
    outcome.stoppedBecause = "the linear programme of iteration " +
                             std::to_string(record.iterations.size()) + " stopped " + how +
                             ", so the last table is not known to be the optimum";
    return outcome;
  }
  outcome.optimumReached = true;
  return outcome;
}

}  // namespace veldmark
