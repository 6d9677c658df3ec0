// The linearise-and-search method's limits, tolerances and sentinel values:
// the network sizes its dense matrices are built for, its iteration limits,
// and the values its cost rule gives fixed meanings. Nothing here is
// configurable: every run of the method uses the same constants.
#pragma once

#include "input/network_limits.h"

namespace veldmark {

// --- Capacities of the network files -------------------------------------
inline constexpr int kMaxLinks = 5000;  // link lines per network file
inline constexpr int kMaxNodes = 1000;  // distinct nodes per network
inline constexpr NetworkLimits kLinearisedNetworkLimits{kMaxLinks, kMaxNodes};

// --- Values with a fixed meaning --------------------------------------------
inline constexpr double kFlowFloor = 0.01;          // stands for an observed flow of 0
inline constexpr double kLogOfZero = -999999999.0;  // cost of a pair without flow

// --- The iteration limits -----------------------------------------------------
inline constexpr int kMaxPivotPasses = 500;             // pivot passes per outer iteration
inline constexpr int kMaxOuterIterations = 25;          // outer iterations per run
inline constexpr int kLineSearchSteps = 20;             // bisection steps of the line search
inline constexpr double kConvergenceTolerance = 0.001;  // stop once the average change is below

}  // namespace veldmark
