// The one place that chooses the estimation method: the driver hands over
// what it read and the settings, and gets back an Estimate.
#pragma once

#include <ostream>

#include "estimation/balancing/balancing_inputs.h"
#include "estimation/estimate.h"
#include "estimation/linearised/settings.h"
#include "veldmark/network.h"

namespace veldmark {

// What a method is given. Each method reads the members it needs.
struct EstimationRequest {
  EstimationMethod method = EstimationMethod::kLinearised;
  AbstractNetwork* counts = nullptr;    // the counted (abstract) links with their counts
  EstimationSettings linearised;        // the linearise-and-search method's settings
  BalancingInputs balancing;            // entropy, gradient: road network, zones, counts, prior
  BalancingSettings balancingSettings;  // entropy, gradient: their settings
};

/// Runs the method of `request` and fills `estimate`; the linearise-and-search
/// method's console goes to `console` (the balancing methods report their
/// phases through balancingSettings.onPhase). Fails with the method's message
/// (nothing estimated). Throws std::bad_alloc when memory runs out once the
/// method has started. REQUIRES: the members the method reads are set.
Status runEstimation(const EstimationRequest& request, std::ostream& console, Estimate& estimate);

}  // namespace veldmark
