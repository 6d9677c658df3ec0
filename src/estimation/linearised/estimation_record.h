// What the estimation observed about itself: why each pivot loop stopped,
// which unusual paths its passes took, what each line search did and how
// the table converged. Returned by the loops; read by the driver's reports.
#pragma once

#include <vector>

namespace veldmark {

// Why a pivot loop ended.
enum class PivotStop {
  kNoImprovingColumn,  // no pair priced strictly below zero
  kPassCap,            // the pass cap kMaxPivotPasses was reached
  kSingularBasis,      // a pivot left a basis matrix of determinant exactly 0
  kNoLeavingPosition,  // no basic value was at most kUnreachable
};

// One pivot loop.
struct PivotLoopResult {
  PivotStop stop = PivotStop::kNoImprovingColumn;
  int passes = 0;               // passes started (dots printed)
  int pivots = 0;               // basis changes made
  int failedChecks = 0;         // passes whose integer inverse check failed
  int negativeCycleFloors = 0;  // passes whose prices were floored after a negative cycle
  int unboundedRatioTests = 0;  // pivots whose ratio test found no row (theta = kUnreachable)
};

// One outer iteration.
struct IterationRecord {
  PivotLoopResult pivotLoop;
  int lineSearchSteps = 0;  // bisection steps carried out (the last one included)
  double step = 0.0;     // where the new table lies on the segment, from 0 (old) to 1 (programme's)
  double average = 0.0;  // the average O-D flow difference printed on the console
  double objective = 0.0;  // sum over pairs with x > 0 of x (ln x - 1) of the new table
};

// The whole estimation.
struct EstimationRecord {
  std::vector<IterationRecord> iterations;  // one per outer iteration, in order
  bool converged =
      false;  // the last average fell below kConvergenceTolerance (see linearisedOutcome)
};

}  // namespace veldmark
