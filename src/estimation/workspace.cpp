#include "estimation/workspace.h"

#include <string>

namespace veldmark {
std::size_t workspaceBytes(int zoneCount, int linkCount) {
  const std::size_t n = static_cast<std::size_t>(zoneCount);
  const std::size_t l = static_cast<std::size_t>(linkCount);
  return 7 * n * n * sizeof(double) + n * n * sizeof(ZoneIndex) + 3 * l * l * sizeof(double) +
         l * (sizeof(OdPair) + 5 * sizeof(double)) + n * sizeof(double);
}

Status allocateWorkspace(int zoneCount, int linkCount, EstimationWorkspace& workspace) {
  workspace.zoneCount = zoneCount;
  workspace.linkCount = linkCount;
  bool ok = allocateSquareMatrix(workspace.TripTable, zoneCount) &&
            allocateSquareMatrix(workspace.PreviousTripTable, zoneCount) &&
            allocateSquareMatrix(workspace.SearchLower, zoneCount) &&
            allocateSquareMatrix(workspace.SearchUpper, zoneCount) &&
            allocateSquareMatrix(workspace.SearchMidpoint, zoneCount) &&
            allocateSquareMatrix(workspace.CostTable, zoneCount) &&
            allocateSquareMatrix(workspace.PathCostMatrix, zoneCount);
  if (ok) {
    const std::size_t l = static_cast<std::size_t>(linkCount);
    workspace.Basis.assign(l, OdPair{});
    for (auto* vector : {&workspace.BasicValues, &workspace.BasicCosts, &workspace.LinkPrice,
                         &workspace.DualValues, &workspace.EnteringColumn}) {
      vector->assign(l, 0.0);
    }
    workspace.Labels.assign(static_cast<std::size_t>(zoneCount), 0.0);
    ok = allocateSquareMatrix(workspace.BasisMatrix, linkCount) &&
         allocateSquareMatrix(workspace.BasisInverse, linkCount) &&
         allocateSquareMatrix(workspace.InverseCheckMatrix, linkCount) &&
         allocateSquareMatrix(workspace.PathPredecessorMatrix, zoneCount);
  }
  if (!ok) {
    return Status{"cannot allocate the estimation workspace for " + std::to_string(zoneCount) +
                  " zones and " + std::to_string(linkCount) + " links (" +
                  std::to_string(workspaceBytes(zoneCount, linkCount) >> 20) + " MiB)"};
  }
#ifdef VELDMARK_REFERENCE_KERNELS
  workspace.Scratch.reference = true;
#endif
  // A trace through a pair that no path ever joined ends at its origin.
  for (int j = 0; j < zoneCount; ++j) {
    for (int k = 0; k < zoneCount; ++k) workspace.PathPredecessorMatrix[j][k] = j;
  }
  return Status{};
}

}  // namespace veldmark
