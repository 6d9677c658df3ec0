// The fixed limits, tolerances and sentinel values of the estimator.
// Nothing here is configurable: every run uses the same constants.
#pragma once

namespace veldmark {

// --- Capacities of the network files -------------------------------------
inline constexpr int kMaxLinks = 5000;  // link lines per network file
inline constexpr int kMaxNodes = 1000;  // distinct nodes per network

// --- Line layout of the input files ----------------------------------------
inline constexpr int kMetadataLines = 7;       // leading metadata lines of a link file
inline constexpr int kFlowMetadataLines = 5;   // leading metadata lines of a link flow file
inline constexpr int kMetadataLineLimit = 49;  // characters of a metadata line
inline constexpr int kHeaderLineLimit = 199;   // characters of the header line
inline constexpr int kDataLineLimit = 499;     // characters of a link or flow line
inline constexpr int kFlowValueOffset = 3;     // characters skipped before a flow value
inline constexpr int kAttributeCount = 8;      // reals after the two nodes of a link line

// --- Values with a fixed meaning --------------------------------------------
inline constexpr double kFlowFloor = 0.01;                 // stands for an observed flow of 0
inline constexpr double kUnreachable = 999999999999999.0;  // cost of "no path"; an ordinary number
inline constexpr double kLogOfZero = -999999999.0;         // cost of a pair without flow
inline constexpr double kZeroPivotSubstitute = 1e-15;      // divisor used for a zero LU pivot

// --- The estimation's iteration limits --------------------------------------
inline constexpr int kMaxPivotPasses = 500;             // pivot passes per outer iteration
inline constexpr int kMaxOuterIterations = 25;          // outer iterations per run
inline constexpr int kLineSearchSteps = 20;             // bisection steps of the line search
inline constexpr double kConvergenceTolerance = 0.001;  // stop once the average change is below

}  // namespace veldmark
