// A probe of the estimation's awkward paths. probeEstimation runs the outer
// iterations and pivot passes exactly as the product does, through the
// product's own steps and kernels, and counts each time a pass takes one of
// the paths that only unusual networks reach: a failed inverse check, a
// negative cycle under the dual prices, a pair that no path joins passing
// the pricing test, an unbounded ratio test, no leaving position, a basis
// that turns singular, and the pass cap. Its console text is the product's,
// which the tests compare to keep the probe honest.
#pragma once

#include <cstring>
#include <ostream>
#include <vector>

#include "estimation/kernel_choice.h"
#include "estimation/line_search.h"
#include "estimation/link_prices.h"
#include "estimation/path_columns.h"
#include "estimation/pivot_step.h"
#include "estimation/workspace.h"
#include "veldmark/network.h"

namespace veldmark::testing {

struct FaultPaths {
  int inverseCheckFailures = 0;     // passes whose integer inverse check failed
  int negativeCycles = 0;           // passes whose prices had a negative cycle from zone 0
  int unreachablePairsPriced = 0;   // pairs no path joins that passed the pricing test
  int unreachablePairsEntered = 0;  // ... and entered the basis
  int unboundedRatioTests = 0;      // pivots whose ratio test found no row (theta = kUnreachable)
  int missingLeavingPositions = 0;  // pivots where no basic value was at most kUnreachable
  int singularBases = 0;            // pivot loops ended by a determinant of exactly 0
  int passCaps = 0;                 // pivot loops ended by the 500-pass cap
  int iterations = 0;               // outer iterations run
};

namespace probe {

// reach[a * n + b]: some chain of abstract links leads from zone a to zone b.
inline std::vector<char> reachability(const AbstractNetwork& network) {
  const int n = network.zoneCount();
  std::vector<char> reach(static_cast<std::size_t>(n) * n, 0);
  for (const LinkZoneEnds& ends : network.linkZones) reach[ends.from * n + ends.to] = 1;
  for (int k = 0; k < n; ++k) {
    for (int a = 0; a < n; ++a) {
      for (int b = 0; b < n; ++b) {
        if (reach[a * n + k] && reach[k * n + b]) reach[a * n + b] = 1;
      }
    }
  }
  return reach;
}

// The pricing scan of the product, counting the unjoined pairs that pass
// its test (the product's own pricing then chooses the entering pair).
inline void countUnjoinedCandidates(const EstimationWorkspace& workspace,
                                    const AbstractNetwork& network, const std::vector<char>& reach,
                                    FaultPaths& seen) {
  const int n = workspace.zoneCount;
  std::vector<double> column(static_cast<std::size_t>(workspace.linkCount));
  double best = kUnreachable;
  for (ZoneIndex g = 0; g < n; ++g) {
    for (ZoneIndex i = 0; i < n; ++i) {
      const double reduced = workspace.CostTable[g][i] + workspace.PathCostMatrix[g][i];
      if (!(reduced < best)) continue;
      if (g != i && !reach[g * n + i]) ++seen.unreachablePairsPriced;
      traceColumn(workspace, network, g, i, column.data());
      if (!duplicatesBasicColumn(workspace, column.data())) best = reduced;
    }
  }
}

// One pass of the pivot loop; false when the loop stops.
inline bool pass(EstimationWorkspace& workspace, const AbstractNetwork& network,
                 const std::vector<char>& reach, std::ostream& console, FaultPaths& seen) {
  const int l = workspace.linkCount;
  const int n = workspace.zoneCount;
  workspace.PivotCounter += 1;
  console << "." << std::flush;
  chosen::invertBasis(workspace);
  if (!chosen::checkInverse(workspace)) {
    ++seen.inverseCheckFailures;
    chosen::printInverseCheck(workspace, console);
  }
  chosen::computeLinkPrices(workspace);
  if (chosen::hasNegativeCycle(workspace, network)) {
    ++seen.negativeCycles;
    floorNegativePrices(workspace);
  }
  prepareShortestPaths(workspace, network);
  chosen::allPairsShortestPaths(workspace);
  countUnjoinedCandidates(workspace, network, reach, seen);
  const PricingResult pricing = chosen::priceColumns(workspace, network);
  if (workspace.PivotCounter >= kMaxPivotPasses && pricing.BestReducedCost < 0) ++seen.passCaps;
  if (!(pricing.BestReducedCost < 0) || workspace.PivotCounter >= kMaxPivotPasses) return false;
  const OdPair entering = pricing.EnteringPair;
  if (entering.origin != entering.destination &&
      !reach[entering.origin * n + entering.destination]) {
    ++seen.unreachablePairsEntered;
  }
  chosen::traceEnteringColumn(workspace, network, entering);
  const double theta = chosen::ratioTest(workspace, network);
  if (theta == kUnreachable) ++seen.unboundedRatioTests;
  chosen::updateBasicValues(workspace, network, theta);
  const int leaving = leavingPosition(workspace);
  if (leaving < 0) {
    ++seen.missingLeavingPositions;
    return false;
  }
  changeBasis(workspace, leaving, entering, theta);
  for (int k = 0; k < l; ++k) workspace.BasisMatrix[k][leaving] = workspace.EnteringColumn[k];
  if (chosen::basisDeterminant(workspace) == 0.0) {
    ++seen.singularBases;
    return false;
  }
  return true;
}

inline void resetToLinkBasis(EstimationWorkspace& workspace, const AbstractNetwork& network) {
  const int l = workspace.linkCount;
  for (int v = 0; v < l; ++v) {
    const LinkZoneEnds ends = network.linkZones[v];
    workspace.Basis[v] = OdPair{ends.from, ends.to};
    workspace.BasicValues[v] = network.records[v].observedFlow;
    workspace.BasicCosts[v] = workspace.CostTable[ends.from][ends.to];
    for (int c = 0; c < l; ++c) workspace.BasisMatrix[v][c] = c == v ? 1.0 : 0.0;
  }
}

}  // namespace probe

/// Runs the outer iterations on the starting tables, as runOuterIterations
/// does, and returns the awkward paths taken. REQUIRES: buildStartingTables
/// has run on `workspace` and `network`.
inline FaultPaths probeEstimation(EstimationWorkspace& workspace, const AbstractNetwork& network,
                                  std::ostream& console) {
  FaultPaths seen;
  const int n = workspace.zoneCount;
  const std::vector<char> reach = probe::reachability(network);
  for (int iteration = 1;; ++iteration) {
    seen.iterations = iteration;
    console << "   ==========================================\n";
    console << "   Iteration: " << iteration << "\n";
    console << "   Pivot move over the linear space " << std::flush;
    workspace.PivotCounter = 0;
    if (n > 0) {
      std::memcpy(workspace.PreviousTripTable[0], workspace.TripTable[0], sizeof(double) * n * n);
    }
    probe::resetToLinkBasis(workspace, network);
    while (probe::pass(workspace, network, reach, console, seen)) {
    }
    bisectSegment(workspace);
    takeSearchPoint(workspace);
    console << "\n";
    const double average = averageFlowDifference(workspace);
    console << "   Average O-D flow difference: " << average << "\n";
    if (kConvergenceTolerance > average || iteration >= kMaxOuterIterations) break;
  }
  console << "\n";
  return seen;
}

}  // namespace veldmark::testing
