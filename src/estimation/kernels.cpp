#include "estimation/kernels.h"

#include "estimation/fast_pricing.h"
#include "estimation/inverse_check.h"
#include "estimation/link_prices.h"
#include "estimation/pivot_step.h"
#include "estimation/sparse_patterns.h"
#include "estimation/sparse_pivot_algebra.h"
#include "numeric/lu_determinant.h"
#include "numeric/matrix_inverse.h"
#include "numeric/negative_cycle.h"
#include "numeric/shortest_paths.h"
#include "numeric/shortest_paths_fast.h"
#include "numeric/sparse_determinant.h"
#include "numeric/sparse_inverse.h"

namespace veldmark::kernels {

void invertBasis(EstimationWorkspace& workspace) {
  const int l = workspace.linkCount;
  if (workspace.Scratch.reference) {
    invertMatrix(workspace.BasisMatrix, l, workspace.BasisInverse);
    return;
  }
  invertMatrixSparse(workspace.BasisMatrix, l, workspace.BasisInverse, workspace.Scratch.dense);
  indexBasisAndInverse(workspace);
}

bool checkInverse(EstimationWorkspace& workspace) {
  if (workspace.Scratch.reference) {
    return formInverseCheck(workspace.BasisMatrix, workspace.BasisInverse, workspace.linkCount,
                            workspace.InverseCheckMatrix);
  }
  return inverseCheckPassesSparse(workspace);
}

void printInverseCheck(EstimationWorkspace& workspace, std::ostream& console) {
  if (workspace.Scratch.reference) {
    veldmark::printInverseCheck(workspace.InverseCheckMatrix, workspace.linkCount, console);
  } else {
    printInverseCheckSparse(workspace, console);
  }
}

void computeLinkPrices(EstimationWorkspace& workspace) {
  if (workspace.Scratch.reference) {
    veldmark::computeLinkPrices(workspace);
  } else {
    computeLinkPricesSparse(workspace);
  }
}

bool hasNegativeCycle(EstimationWorkspace& workspace, const AbstractNetwork& network) {
  for (double& label : workspace.Labels) label = kUnreachable;
  if (workspace.zoneCount > 0) workspace.Labels[0] = 0.0;
  const auto test = workspace.Scratch.reference ? detectNegativeCycle : detectNegativeCycleFast;
  return test(workspace.linkCount, network.linkZones.data(), workspace.LinkPrice.data(),
              workspace.zoneCount, workspace.Labels.data());
}

void allPairsShortestPaths(EstimationWorkspace& workspace) {
  const auto kernel =
      workspace.Scratch.reference ? veldmark::allPairsShortestPaths : allPairsShortestPathsFast;
  kernel(workspace.zoneCount, workspace.PathPredecessorMatrix, workspace.PathCostMatrix);
}

PricingResult priceColumns(EstimationWorkspace& workspace, const AbstractNetwork& network) {
  if (workspace.Scratch.reference) return veldmark::priceColumns(workspace, network);
  indexFirstLinks(workspace, network);
  return priceColumnsFast(workspace, network);
}

void traceEnteringColumn(EstimationWorkspace& workspace, const AbstractNetwork& network,
                         OdPair pair) {
  const auto trace = workspace.Scratch.reference ? traceColumn : traceColumnFast;
  trace(workspace, network, pair.origin, pair.destination, workspace.EnteringColumn.data());
}

double ratioTest(const EstimationWorkspace& workspace, const AbstractNetwork& network) {
  if (workspace.Scratch.reference) return veldmark::ratioTest(workspace, network);
  return ratioTestSparse(workspace, network);
}

void updateBasicValues(EstimationWorkspace& workspace, const AbstractNetwork& network,
                       double theta) {
  if (workspace.Scratch.reference) {
    veldmark::updateBasicValues(workspace, network, theta);
  } else {
    updateBasicValuesSparse(workspace, network, theta);
  }
}

double basisDeterminant(EstimationWorkspace& workspace) {
  if (workspace.Scratch.reference) return luDeterminant(workspace.BasisMatrix, workspace.linkCount);
  return luDeterminantSparse(workspace.BasisMatrix, workspace.linkCount, workspace.Scratch.dense);
}

}  // namespace veldmark::kernels
