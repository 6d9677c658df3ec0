#include "estimation/pivot_loop.h"

#include "estimation/kernels.h"
#include "estimation/link_prices.h"
#include "estimation/pivot_step.h"

namespace veldmark {
namespace {

// One pass; returns false when the loop is to stop.
bool runPass(EstimationWorkspace& workspace, const AbstractNetwork& network,
             std::ostream& console) {
  const int l = workspace.linkCount;
  workspace.PivotCounter += 1;
  console << "." << std::flush;

  // --- Inverse and its integer check -----------------------------------------
  kernels::invertBasis(workspace);
  if (!kernels::checkInverse(workspace)) kernels::printInverseCheck(workspace, console);

  // --- Prices and shortest paths ----------------------------------------------
  kernels::computeLinkPrices(workspace);
  if (kernels::hasNegativeCycle(workspace, network)) floorNegativePrices(workspace);
  prepareShortestPaths(workspace, network);
  kernels::allPairsShortestPaths(workspace);

  // --- Pricing and the stop test ----------------------------------------------
  const PricingResult pricing = kernels::priceColumns(workspace, network);
  if (!(pricing.BestReducedCost < 0) || workspace.PivotCounter >= kMaxPivotPasses) return false;

  // --- The pivot --------------------------------------------------------------
  kernels::traceEnteringColumn(workspace, network, pricing.EnteringPair);
  const double theta = kernels::ratioTest(workspace, network);
  kernels::updateBasicValues(workspace, network, theta);
  const int leaving = leavingPosition(workspace);
  if (leaving < 0) return false;
  changeBasis(workspace, leaving, pricing.EnteringPair, theta);
  for (int k = 0; k < l; ++k) workspace.BasisMatrix[k][leaving] = workspace.EnteringColumn[k];
  return kernels::basisDeterminant(workspace) != 0.0;
}

}  // namespace

void runPivotLoop(EstimationWorkspace& workspace, const AbstractNetwork& network,
                  std::ostream& console) {
  while (runPass(workspace, network, console)) {
  }
}

}  // namespace veldmark
