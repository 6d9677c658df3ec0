// When the linearise-and-search method may say it reached its optimum: below
// the tolerance with the last linear programme solved, and never otherwise.
#include "estimation/linearised/outcome.h"

#include <gtest/gtest.h>

#include "estimation/linearised/limits.h"

namespace veldmark {
namespace {

// A record of one iteration per stop, the last average `average`.
EstimationRecord record(std::vector<PivotStop> stops, double average) {
  EstimationRecord record;
  for (PivotStop stop : stops) {
    IterationRecord iteration;
    iteration.pivotLoop.stop = stop;
    iteration.average = 1.0;
    record.iterations.push_back(iteration);
  }
  record.iterations.back().average = average;
  record.converged = kConvergenceTolerance > average;
  return record;
}

TEST(LinearisedOutcome, OptimumOnlyBelowTheToleranceWithTheLastProgrammeSolved) {
  const PivotStop solved = PivotStop::kNoImprovingColumn;
  // Solved last programme below the tolerance; an earlier one cut off does
  // not undo it, since the last programme's solution is the test.
  for (const auto& stops : {std::vector<PivotStop>{solved, solved},
                            std::vector<PivotStop>{PivotStop::kPassCap, solved}}) {
    const RunOutcome outcome = linearisedOutcome(record(stops, 0.0005));
    EXPECT_TRUE(outcome.optimumReached);
    EXPECT_EQ(outcome.stoppedBecause, "");
  }
  // Below the tolerance, the last programme cut off: stopped, and where.
  const struct {
    PivotStop stop;
    const char* how;
  } cuts[] = {{PivotStop::kPassCap, "at the 500-pass cap"},
              {PivotStop::kSingularBasis, "at a singular basis"},
              {PivotStop::kNoLeavingPosition, "without a leaving position"}};
  for (const auto& cut : cuts) {
    const RunOutcome outcome =
        linearisedOutcome(record({PivotStop::kPassCap, PivotStop::kPassCap, cut.stop}, 0.0005));
    EXPECT_FALSE(outcome.optimumReached);
    EXPECT_EQ(outcome.stoppedBecause, std::string("the linear programme of iteration 3 stopped ") +
                                          cut.how +
                                          ", so the last table is not known to be the optimum");
  }
  // The iteration limit with the table still moving, whatever the programmes did.
  const RunOutcome limit =
      linearisedOutcome(record(std::vector<PivotStop>(kMaxOuterIterations, solved), 0.0126819));
  EXPECT_FALSE(limit.optimumReached);
  EXPECT_EQ(limit.stoppedBecause,
            "the 25-iteration limit was reached with the table still moving (last average O-D "
            "flow difference 0.01268, tolerance 0.001)");
  EXPECT_FALSE(linearisedOutcome(EstimationRecord{}).optimumReached);
}

}  // namespace
}  // namespace veldmark
