#include "estimation/pivot_loop.h"

#include "estimation/inverse_check.h"
#include "estimation/kernels.h"
#include "estimation/link_prices.h"
#include "estimation/path_columns.h"
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
  kernels::invertMatrix(workspace.BasisMatrix, l, workspace.BasisInverse);
  if (!kernels::formInverseCheck(workspace.BasisMatrix, workspace.BasisInverse, l,
                                 workspace.InverseCheckMatrix)) {
    printInverseCheck(workspace.InverseCheckMatrix, l, console);
  }

  // --- Prices and shortest paths ----------------------------------------------
  kernels::computeLinkPrices(workspace);
  floorPricesOnNegativeCycle(workspace, network);
  prepareShortestPaths(workspace, network);
  kernels::allPairsShortestPaths(workspace.zoneCount, workspace.PathPredecessorMatrix,
                                 workspace.PathCostMatrix);

  // --- Pricing and the stop test ----------------------------------------------
  const PricingResult pricing = kernels::priceColumns(workspace, network);
  if (!(pricing.BestReducedCost < 0) || workspace.PivotCounter >= kMaxPivotPasses) return false;

  // --- The pivot --------------------------------------------------------------
  kernels::traceColumn(workspace, network, pricing.EnteringPair.origin,
                       pricing.EnteringPair.destination, workspace.EnteringColumn.data());
  const double theta = kernels::ratioTest(workspace, network);
  kernels::updateBasicValues(workspace, network, theta);
  const int leaving = leavingPosition(workspace);
  if (leaving < 0) return false;
  changeBasis(workspace, leaving, pricing.EnteringPair, theta);
  for (int k = 0; k < l; ++k) workspace.BasisMatrix[k][leaving] = workspace.EnteringColumn[k];
  return kernels::luDeterminant(workspace.BasisMatrix, l) != 0.0;
}

}  // namespace

void runPivotLoop(EstimationWorkspace& workspace, const AbstractNetwork& network,
                  std::ostream& console) {
  while (runPass(workspace, network, console)) {
  }
}

}  // namespace veldmark
