// The one place that chooses the estimation method: the driver hands over
// what it read and the settings, and gets back an Estimate.
#pragma once

#include <ostream>

#include "estimation/estimate.h"
#include "estimation/linearised/settings.h"
#include "veldmark/network.h"

namespace veldmark {

// What a method is given. Each method reads the members it needs.
struct EstimationRequest {
  EstimationMethod method = EstimationMethod::kLinearised;
  AbstractNetwork* counts = nullptr;  // the counted (abstract) links with their counts
  EstimationSettings linearised;      // the linearise-and-search method's settings
};

/// Runs the method of `request` and fills `estimate`; the method's console
/// goes to `console`. Fails with the method's message (nothing estimated).
/// Throws std::bad_alloc when memory runs out once the method has started
/// printing. REQUIRES: the members the method reads are set.
Status runEstimation(const EstimationRequest& request, std::ostream& console, Estimate& estimate);

}  // namespace veldmark
