#include "estimation/linearised/pivot_loop.h"

#include <optional>

#include "estimation/linearised/kernel_choice.h"
#include "estimation/linearised/limits.h"
#include "estimation/linearised/link_prices.h"
#include "estimation/linearised/pivot_step.h"

namespace veldmark {
namespace {

// The inverse, its check, the prices and the shortest paths of a pass.
void priceThePass(EstimationWorkspace& workspace, const AbstractNetwork& network,
                  std::ostream& console, PivotLoopResult& result) {
  chosen::invertBasis(workspace);
  if (!chosen::checkInverse(workspace)) {
    ++result.failedChecks;
    chosen::printInverseCheck(workspace, console);
  }
  chosen::computeLinkPrices(workspace);
  if (chosen::hasNegativeCycle(workspace, network)) {
    ++result.negativeCycleFloors;
    floorNegativePrices(workspace);
  }
  prepareShortestPaths(workspace, network);
  chosen::allPairsShortestPaths(workspace);
}

// One pass; returns the reason to stop, or nothing to go on.
std::optional<PivotStop> runPass(EstimationWorkspace& workspace, const AbstractNetwork& network,
                                 std::ostream& console, PivotLoopResult& result) {
  const int l = workspace.linkCount;
  workspace.PivotCounter += 1;
  result.passes = workspace.PivotCounter;
  if (workspace.settings.onPass) workspace.settings.onPass(workspace.Iteration, result.passes);
  console << "." << std::flush;
  priceThePass(workspace, network, console, result);

  // --- Pricing and the stop test ----------------------------------------------
  const PricingResult pricing = chosen::priceColumns(workspace, network);
  if (!(pricing.BestReducedCost < 0)) return PivotStop::kNoImprovingColumn;
  if (workspace.PivotCounter >= kMaxPivotPasses) return PivotStop::kPassCap;

  // --- The pivot --------------------------------------------------------------
  chosen::traceEnteringColumn(workspace, network, pricing.EnteringPair);
  const double theta = chosen::ratioTest(workspace, network);
  if (theta == kUnreachable) ++result.unboundedRatioTests;
  chosen::updateBasicValues(workspace, network, theta);
  const int leaving = leavingPosition(workspace);
  if (leaving < 0) return PivotStop::kNoLeavingPosition;
  changeBasis(workspace, leaving, pricing.EnteringPair, theta);
  ++result.pivots;
  for (int k = 0; k < l; ++k) workspace.BasisMatrix[k][leaving] = workspace.EnteringColumn[k];
  if (chosen::basisDeterminant(workspace) == 0.0) return PivotStop::kSingularBasis;
  return std::nullopt;
}

}  // namespace

void resetToLinkBasis(EstimationWorkspace& workspace, const AbstractNetwork& network) {
  const int l = workspace.linkCount;
  workspace.PivotCounter = 0;
  for (int v = 0; v < l; ++v) {
    const LinkZoneEnds ends = network.linkZones[v];
    workspace.Basis[v] = OdPair{ends.from, ends.to};
    workspace.BasicValues[v] = network.records[v].observedFlow;
    workspace.BasicCosts[v] = workspace.CostTable[ends.from][ends.to];
  }
  for (int r = 0; r < l; ++r) {
    double* row = workspace.BasisMatrix[r];
    for (int c = 0; c < l; ++c) row[c] = 0.0;
    row[r] = 1.0;
  }
}

PivotLoopResult runPivotLoop(EstimationWorkspace& workspace, const AbstractNetwork& network,
                             std::ostream& console) {
  PivotLoopResult result;
  for (;;) {
    if (const std::optional<PivotStop> stop = runPass(workspace, network, console, result)) {
      result.stop = *stop;
      return result;
    }
  }
}

}  // namespace veldmark
