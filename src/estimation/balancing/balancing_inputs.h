// What the balancing methods (entropy, gradient) are given: the road network
// with its zones, the counted links, the prior, and their settings.
#pragma once

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "estimation/balancing/counted_links.h"
#include "network/road_network.h"
#include "network/zone_set.h"

namespace veldmark {

/// The count weight's value for "choose it from the data" (--count-weight auto).
inline constexpr double kCountWeightFromData = std::numeric_limits<double>::quiet_NaN();

/// κ and ρ when --count-weight and --trip-end-weight are not given (measured
/// on the estimation bench: bench/estimation).
inline constexpr double kDefaultCountWeight = 2.0;
inline constexpr double kDefaultTripEndWeight = 1.0;

/// Zones × road links above which a network is large: there, unless the user
/// says otherwise, the assignments stop after kLargeNetworkIterations
/// iterations (a gap of 1e-5 would take far longer than the estimate: on
/// Chicago regional, 1,790 zones × 39,018 links = 7.0e7, the bush engine
/// reaches gap 5.0e-4 after 4 iterations (54 sweeps) in about 50 s, and 1e-4
/// only after 13) and the routes are assigned once. The
/// estimation bench's networks stay far below (Chicago Sketch: 387 × 2,950 =
/// 1.1e6).
inline constexpr double kLargeNetwork = 2e7;
inline constexpr int kLargeNetworkIterations = 4;

/// True when `zones` × `roadLinks` is above kLargeNetwork.
inline bool isLargeNetwork(int zones, int roadLinks) {
  return static_cast<double>(zones) * roadLinks > kLargeNetwork;
}

struct BalancingInputs {
  const RoadNetwork* network = nullptr;
  const ZoneSet* zones = nullptr;
  const CountedLinks* counted = nullptr;
  const std::vector<double>* prior = nullptr;  // N x N in zone order, row after row; null: none
};

struct BalancingSettings {
  double countWeight = kDefaultCountWeight;      // κ (> 0, may be +inf); NaN: cross-validation
  double tripEndWeight = kDefaultTripEndWeight;  // ρ (> 0); +inf: no trip-end factors
  int levels = 0;                     // routes assigned this many times (--outer); 0: the default
  int maxIterations = 50;             // gradient steps per level (--max-iterations)
  double gap = 1e-5;                  // relative gap the assignments stop at
  int maxAssignmentIterations = 200;  // assignment iterations at most
  int threads = 1;                    // threads of the assignment and the products
  // Called with a line of the console as each phase ends (the driver adds
  // the clock); may be empty.
  std::function<void(const std::string&)> onPhase;
  // Called as each assignment iteration ends with the level (from 1), the
  // iteration and its relative gap; may be empty. Must not print to the console.
  std::function<void(int level, int iteration, double gap)> onAssignment;
};

/// ρ when --trip-end-weight is not given: kDefaultTripEndWeight, except on
/// a large network without a prior: +inf (no trip-end factors). There the
/// factors' L-BFGS on 3.2 M cells had not converged after 1,000 iterations
/// (Chicago regional), where the cells alone, Newton–CG on the dual,
/// converged in 16 Newton steps. On a small network they are kept: with
/// Sioux Falls' flat prior they lifted cells R² from 0.03 to 0.09.
inline double defaultTripEndWeight(bool withPrior, bool largeNetwork) {
  return withPrior || !largeNetwork ? kDefaultTripEndWeight
                                    : std::numeric_limits<double>::infinity();
}

/// True when κ is to be chosen from the data.
inline bool countWeightFromData(const BalancingSettings& settings) {
  return std::isnan(settings.countWeight);
}

}  // namespace veldmark
