#include "estimation/linearised/kernel_choice.h"

#include "estimation/linearised/fast/path_columns.h"
#include "estimation/linearised/fast/pivot_algebra.h"
#include "estimation/linearised/fast/sparse_patterns.h"
#include "estimation/linearised/inverse_check.h"
#include "estimation/linearised/link_prices.h"
#include "estimation/linearised/pivot_step.h"
#include "numeric/fast/lu_determinant.h"
#include "numeric/fast/matrix_inverse.h"
#include "numeric/fast/negative_cycle.h"
#include "numeric/fast/shortest_paths.h"
#include "numeric/lu_determinant.h"
#include "numeric/matrix_inverse.h"
#include "numeric/negative_cycle.h"
#include "numeric/shortest_paths.h"

namespace veldmark::chosen {

void invertBasis(EstimationWorkspace& workspace) {
  const int l = workspace.linkCount;
  if (workspace.settings.referenceKernels) {
    invertMatrix(workspace.BasisMatrix, l, workspace.BasisInverse);
    return;
  }
  fast::invertMatrix(workspace.BasisMatrix, l, workspace.BasisInverse, workspace.Scratch.dense,
                     workspace.Team.get());
  fast::indexBasisAndInverse(workspace);
}

bool checkInverse(EstimationWorkspace& workspace) {
  if (workspace.settings.referenceKernels) {
    return formInverseCheck(workspace.BasisMatrix, workspace.BasisInverse, workspace.linkCount,
                            workspace.InverseCheckMatrix);
  }
  return fast::inverseCheckPasses(workspace);
}

void printInverseCheck(EstimationWorkspace& workspace, std::ostream& console) {
  if (workspace.settings.referenceKernels) {
    veldmark::printInverseCheck(workspace.InverseCheckMatrix, workspace.linkCount, console);
  } else {
    fast::printInverseCheck(workspace, console);
  }
}

void computeLinkPrices(EstimationWorkspace& workspace) {
  if (workspace.settings.referenceKernels) {
    veldmark::computeLinkPrices(workspace);
  } else {
    fast::computeLinkPrices(workspace);
  }
}

bool hasNegativeCycle(EstimationWorkspace& workspace, const AbstractNetwork& network) {
  for (double& label : workspace.Labels) label = kUnreachable;
  if (workspace.zoneCount > 0) workspace.Labels[0] = 0.0;
  const auto test =
      workspace.settings.referenceKernels ? detectNegativeCycle : fast::detectNegativeCycle;
  return test(workspace.linkCount, network.linkZones.data(), workspace.LinkPrice.data(),
              workspace.zoneCount, workspace.Labels.data());
}

void allPairsShortestPaths(EstimationWorkspace& workspace) {
  if (workspace.settings.referenceKernels) {
    veldmark::allPairsShortestPaths(workspace.zoneCount, workspace.PathPredecessorMatrix,
                                    workspace.PathCostMatrix);
  } else {
    fast::allPairsShortestPaths(workspace.zoneCount, workspace.PathPredecessorMatrix,
                                workspace.PathCostMatrix, workspace.Team.get());
  }
}

PricingResult priceColumns(EstimationWorkspace& workspace, const AbstractNetwork& network) {
  if (workspace.settings.referenceKernels) return veldmark::priceColumns(workspace, network);
  fast::indexFirstLinks(workspace, network);
  return fast::priceColumns(workspace, network);
}

void traceEnteringColumn(EstimationWorkspace& workspace, const AbstractNetwork& network,
                         OdPair pair) {
  double* column = workspace.EnteringColumn.data();
  if (workspace.settings.referenceKernels) {
    traceColumn(workspace, network, pair.origin, pair.destination, column);
  } else {
    fast::traceColumn(workspace, pair.origin, pair.destination, column);
  }
}

double ratioTest(const EstimationWorkspace& workspace, const AbstractNetwork& network) {
  if (workspace.settings.referenceKernels) return veldmark::ratioTest(workspace, network);
  return fast::ratioTest(workspace, network);
}

void updateBasicValues(EstimationWorkspace& workspace, const AbstractNetwork& network,
                       double theta) {
  if (workspace.settings.referenceKernels) {
    veldmark::updateBasicValues(workspace, network, theta);
  } else {
    fast::updateBasicValues(workspace, network, theta);
  }
}

double basisDeterminant(EstimationWorkspace& workspace) {
  if (workspace.settings.referenceKernels)
    return luDeterminant(workspace.BasisMatrix, workspace.linkCount);
  return fast::luDeterminant(workspace.BasisMatrix, workspace.linkCount, workspace.Scratch.dense,
                             workspace.Team.get());
}

}  // namespace veldmark::chosen
