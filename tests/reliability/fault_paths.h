// The awkward paths a run of the estimation took on a tiny network, read
// from the product's own record (runOuterIterations' EstimationRecord): a
// failed inverse check, a negative cycle under the dual prices, an unbounded
// ratio test, no leaving position, a basis that turns singular, the pass
// cap; and, from the workspace the run leaves, whether a pair that no chain
// of links joins passed the pricing test in the last pass. The fault network
// tests and the fault search (tools/fault_search.cpp) share it.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "estimation/linearised/limits.h"
#include "estimation/linearised/outer_iteration.h"
#include "estimation/linearised/starting_tables.h"
#include "estimation/linearised/workspace.h"
#include "input/abstract_network.h"
#include "input/link_flow_file.h"
#include "support/test_support.h"
#include "veldmark/network.h"

namespace veldmark::testing {

// A network given by its abstract link lines ("from to", one per line) and
// its flow lines; the base network has the same links.
struct TinyNetwork {
  std::string links;
  std::string flows;
};

struct FaultPaths {
  int failedChecks = 0;         // passes whose integer inverse check failed
  int negativeCycleFloors = 0;  // passes whose prices were floored after a negative cycle
  int unboundedRatioTests = 0;  // pivots whose ratio test found no row
  int noLeavingPosition = 0;    // pivot loops ended with no leaving position
  int singularBases = 0;        // pivot loops ended by a determinant of exactly 0
  int passCaps = 0;             // pivot loops ended by the pass cap
  int unjoinedPairPriced = 0;   // 1 when an unjoined pair passed the last pass's pricing test
  std::string console;          // the estimation's console, from the starting tables on
};

/// Writes `tiny` as abstract.txt and flows.txt in `dir` and reads them as
/// the program does. False when either file is refused.
inline bool readTinyNetwork(const ScratchDir& dir, const TinyNetwork& tiny,
                            AbstractNetwork& network) {
  const std::string abstractPath = dir.write("abstract.txt", linkFile(tiny.links));
  const std::string flowPath = dir.write("flows.txt", flowFile(tiny.flows));
  return readAbstractNetwork(abstractPath, network, kLinearisedNetworkLimits).ok() &&
         readLinkFlowFile(flowPath, network).ok();
}

namespace paths {

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

// An off-diagonal pair that no chain joins, whose reduced cost in the last
// pass (CostTable + PathCostMatrix) fell below the pricing's starting best,
// kUnreachable: the pricing traced its column. A pair without trips keeps
// its CostTable entry through the line search, so it is the one the last
// pass saw.
inline bool unjoinedPairPriced(const EstimationWorkspace& workspace,
                               const AbstractNetwork& network) {
  const int n = workspace.zoneCount;
  const std::vector<char> reach = reachability(network);
  for (int g = 0; g < n; ++g) {
    for (int i = 0; i < n; ++i) {
      if (g == i || reach[g * n + i] || workspace.TripTable[g][i] != 0.0) continue;
      if (workspace.CostTable[g][i] + workspace.PathCostMatrix[g][i] < kUnreachable) return true;
    }
  }
  return false;
}

}  // namespace paths

/// Runs the estimation on a copy of `network` as the program does (fast
/// kernels) and counts the awkward paths its record shows.
inline FaultPaths estimateAndCount(const AbstractNetwork& network) {
  FaultPaths seen;
  AbstractNetwork copy = network;
  EstimationWorkspace workspace;
  if (!allocateWorkspace(copy.zoneCount(), copy.linkCount(), workspace).ok()) return seen;
  std::ostringstream console;
  buildStartingTables(workspace, copy, console);
  const EstimationRecord record = runOuterIterations(workspace, copy, console);
  for (const IterationRecord& iteration : record.iterations) {
    const PivotLoopResult& loop = iteration.pivotLoop;
    seen.failedChecks += loop.failedChecks;
    seen.negativeCycleFloors += loop.negativeCycleFloors;
    seen.unboundedRatioTests += loop.unboundedRatioTests;
    seen.noLeavingPosition += loop.stop == PivotStop::kNoLeavingPosition;
    seen.singularBases += loop.stop == PivotStop::kSingularBasis;
    seen.passCaps += loop.stop == PivotStop::kPassCap;
  }
  seen.unjoinedPairPriced = paths::unjoinedPairPriced(workspace, copy) ? 1 : 0;
  seen.console = console.str();
  return seen;
}

}  // namespace veldmark::testing
