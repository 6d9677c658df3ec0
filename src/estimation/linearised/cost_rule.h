// The CostTable rule: how a pair's cost follows from its flow.
#pragma once

#include <cmath>

#include "estimation/linearised/limits.h"
#include "veldmark/constants.h"

namespace veldmark {

/// ln(flow) where flow > 0 (a NaN is not positive); otherwise 0.0 on the
/// diagonal and kLogOfZero off it.
inline double costOfFlow(double flow, bool diagonal) {
  if (flow > 0) return std::log(flow);
  return diagonal ? 0.0 : kLogOfZero;
}

}  // namespace veldmark
