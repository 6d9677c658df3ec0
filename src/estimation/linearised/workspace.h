// The estimation workspace: every matrix and vector of the estimation,
// allocated once from N zones and L abstract links and never reallocated.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "estimation/linearised/fast/pivot_scratch.h"
#include "estimation/linearised/settings.h"
#include "numeric/thread_team.h"
#include "veldmark/types.h"

namespace veldmark {

struct EstimationWorkspace {
  int zoneCount = 0;            // N
  int linkCount = 0;            // L
  EstimationSettings settings;  // fixed when the workspace is allocated

  DenseMatrix TripTable;                  // N x N: current O-D flows, rows origins
  DenseMatrix PreviousTripTable;          // N x N: the TripTable at the start of the iteration
  DenseMatrix SearchLower;                // N x N: lower end of the line-search segment
  DenseMatrix SearchUpper;                // N x N: upper end of the line-search segment
  DenseMatrix SearchMidpoint;             // N x N: midpoint of the segment
  DenseMatrix CostTable;                  // N x N: ln TripTable by the CostTable rule
  DenseMatrix PathCostMatrix;             // N x N: all-pairs shortest path costs under LinkPrice
  std::vector<OdPair> Basis;              // L: the O-D pair of each basic column
  std::vector<double> BasicValues;        // L: value of each basic column
  std::vector<double> BasicCosts;         // L: CostTable entry of each basic pair
  std::vector<double> LinkPrice;          // L: price of each link in the path searches
  std::vector<double> DualValues;         // L: dual value of each link constraint
  std::vector<double> EnteringColumn;     // L: incidence vector of a candidate path
  DenseMatrix BasisMatrix;                // L x L: column j = incidence vector of basic column j
  DenseMatrix BasisInverse;               // L x L: inverse of BasisMatrix
  DenseMatrix InverseCheckMatrix;         // L x L: BasisMatrix x BasisInverse (integer check)
  std::vector<double> Labels;             // N: labels of the negative-cycle test
  ZoneIndexMatrix PathPredecessorMatrix;  // N x N: zone before the destination on a path
  int PivotCounter = 0;                   // pivot passes started in this outer iteration
  int Iteration = 0;                      // the outer iteration in progress, from 1
  // The flow each abstract link carries under the estimate (L each): the
  // current table's, and the two ends of the line search, moved exactly as
  // the tables are.
  std::vector<double> LinkFlows;
  std::vector<double> SearchLowerLinkFlows;
  std::vector<double> SearchUpperLinkFlows;
  fast::PivotScratch Scratch;  // indexes of the faster pivot paths (unused by the reference ones)
  // The threads the faster pivot steps share their work among: null for one
  // thread (no thread is started), else settings.threads members.
  std::shared_ptr<ThreadTeam> Team;
};

/// Allocates every member for `zoneCount` zones and `linkCount` links and
/// keeps `settings` for the run (starting the Team's settings.threads - 1
/// threads when it is above 1) (and, unless they choose the reference
/// kernels, allocates the faster kernels' L x L
/// working storage, so that no pass can run out of memory midway) and sets
/// PathPredecessorMatrix[j][k] = j; all other matrix entries are left unset
/// until the estimation writes them. Fails with a message naming the sizes
/// when the storage cannot be had. Prints nothing.
Status allocateWorkspace(int zoneCount, int linkCount, EstimationWorkspace& workspace,
                         const EstimationSettings& settings = EstimationSettings());

/// Bytes the workspace's matrices need for these sizes (for messages).
std::size_t workspaceBytes(int zoneCount, int linkCount);

}  // namespace veldmark
