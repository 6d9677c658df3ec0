// What an estimation leaves behind, whatever the method: the table, the
// volume it puts on each counted link, and a record of how the method ran.
// The writers, the fit, the warnings and the reports read this alone (and
// the record of the method that ran).
#pragma once

#include <string>
#include <vector>

#include "estimation/balancing/balancing_record.h"
#include "estimation/linearised/estimation_record.h"
#include "veldmark/types.h"

namespace veldmark {

// The estimation methods. The linearise-and-search method is the default.
enum class EstimationMethod {
  kLinearised,  // linearise and search: the most even table that meets every count
  kEntropy,     // the prior balanced to the counts (entropy, soft counts) on equilibrium routes
  kGradient,    // the prior adjusted to the counts by gradient steps on equilibrium routes
};

/// The method's name as the command line and the run summary write it
/// ("linearised", "entropy", "gradient"). Never fails.
const char* methodName(EstimationMethod method);

/// True for the methods that read the road network and a prior (entropy,
/// gradient).
inline bool balancesPrior(EstimationMethod method) {
  return method != EstimationMethod::kLinearised;
}

// How a method's run ended, in terms every method shares: did it reach the
// optimum of its problem, or was it cut off, and where. The reports read this
// alone to say "reached its optimum" or "stopped".
struct RunOutcome {
  bool optimumReached = false;  // the method's own test of its optimum held at the end
  std::string stoppedBecause;   // "" when optimumReached; else why and where it was cut off
};

struct Estimate {
  EstimationMethod method = EstimationMethod::kLinearised;
  std::vector<NodeId> zones;  // N: the table's zones in its order
  DenseMatrix table;          // N x N: trips from zones[i] to zones[j]
  std::vector<double>
      countedVolumes;               // per counted (abstract) link, file order: its modelled volume
  RunOutcome outcome;               // how the run ended (every method fills it)
  EstimationRecord linearised;      // the linearise-and-search method's iterations
  std::vector<double> roadVolumes;  // balancing methods: modelled volume per road (BASE) link
  BalancingRecord balancing;        // balancing methods: the weight chosen, the levels
};

}  // namespace veldmark
