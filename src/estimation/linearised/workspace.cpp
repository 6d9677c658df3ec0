#include "estimation/linearised/workspace.h"

#include <algorithm>
#include <new>
#include <string>
#include <system_error>

namespace veldmark {
namespace {

bool allocateMatrices(EstimationWorkspace& workspace, int n, int l) {
  return allocateSquareMatrix(workspace.TripTable, n) &&
         allocateSquareMatrix(workspace.PreviousTripTable, n) &&
         allocateSquareMatrix(workspace.SearchLower, n) &&
         allocateSquareMatrix(workspace.SearchUpper, n) &&
         allocateSquareMatrix(workspace.SearchMidpoint, n) &&
         allocateSquareMatrix(workspace.CostTable, n) &&
         allocateSquareMatrix(workspace.PathCostMatrix, n) &&
         allocateSquareMatrix(workspace.BasisMatrix, l) &&
         allocateSquareMatrix(workspace.BasisInverse, l) &&
         allocateSquareMatrix(workspace.InverseCheckMatrix, l) &&
         allocateSquareMatrix(workspace.PathPredecessorMatrix, n);
}

// The vectors, and the L x L working storage of the faster kernels, come
// from standard containers: a failed allocation there is the one exception
// this program catches, turned into the same answer as a failed matrix.
bool allocateVectors(EstimationWorkspace& workspace, int n, int l) {
  try {
    const std::size_t links = static_cast<std::size_t>(l);
    workspace.Basis.assign(links, OdPair{});
    for (auto* vector : {&workspace.BasicValues, &workspace.BasicCosts, &workspace.LinkPrice,
                         &workspace.DualValues, &workspace.EnteringColumn, &workspace.LinkFlows,
                         &workspace.SearchLowerLinkFlows, &workspace.SearchUpperLinkFlows}) {
      vector->assign(links, 0.0);
    }
    workspace.Labels.assign(static_cast<std::size_t>(n), 0.0);
    if (!workspace.settings.referenceKernels) workspace.Scratch.dense.assign(links * links, 0.0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

// The team of the faster kernels: none for one thread, for the reference
// kernels or when every step (N x N or L x L entries) fits in one chunk;
// none either when the system refuses a thread (the run then goes on alone,
// with the same bits).
std::shared_ptr<ThreadTeam> startTeam(const EstimationSettings& settings, int n, int l) {
  if (settings.threads <= 1 || settings.referenceKernels) return nullptr;
  const long long most = std::max(n, l);
  if (most * most <= settings.entriesPerChunk) return nullptr;
  try {
    return std::make_shared<ThreadTeam>(settings.threads, settings.entriesPerChunk);
  } catch (const std::system_error&) {
    return nullptr;
  }
}

}  // namespace

std::size_t workspaceBytes(int zoneCount, int linkCount) {
  const std::size_t n = static_cast<std::size_t>(zoneCount);
  const std::size_t l = static_cast<std::size_t>(linkCount);
  // Seven N x N tables of doubles, the predecessors, three L x L matrices,
  // the faster kernels' L x L working copy and the vectors.
  return 7 * n * n * sizeof(double) + n * n * sizeof(ZoneIndex) + 4 * l * l * sizeof(double) +
         l * (sizeof(OdPair) + 8 * sizeof(double)) + n * sizeof(double);
}

Status allocateWorkspace(int zoneCount, int linkCount, EstimationWorkspace& workspace,
                         const EstimationSettings& settings) {
  workspace.zoneCount = zoneCount;
  workspace.linkCount = linkCount;
  workspace.settings = settings;
  if (!allocateMatrices(workspace, zoneCount, linkCount) ||
      !allocateVectors(workspace, zoneCount, linkCount)) {
    return Status{"cannot allocate the estimation workspace for " + std::to_string(zoneCount) +
                  " zones and " + std::to_string(linkCount) + " links (" +
                  std::to_string(workspaceBytes(zoneCount, linkCount) >> 20) + " MiB)"};
  }
  workspace.Team = startTeam(settings, zoneCount, linkCount);
  // A trace through a pair that no path ever joined ends at its origin.
  for (int j = 0; j < zoneCount; ++j) {
    for (int k = 0; k < zoneCount; ++k) workspace.PathPredecessorMatrix[j][k] = j;
  }
  return Status{};
}

}  // namespace veldmark
