#include "estimation/outer_iteration.h"

#include <cstring>

#include "estimation/line_search.h"
#include "estimation/pivot_loop.h"

namespace veldmark {
namespace {

// The link basis: every link carries its own observed flow on its own pair.
void resetToLinkBasis(EstimationWorkspace& workspace, const AbstractNetwork& network) {
  const int l = workspace.linkCount;
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

void printHeader(int iteration, std::ostream& console) {
  console << "   ==========================================\n";
  console << "   Iteration: " << iteration << "\n";
  console << "   Pivot move over the linear space " << std::flush;
}

}  // namespace

void runOuterIterations(EstimationWorkspace& workspace, const AbstractNetwork& network,
                        std::ostream& console) {
  const int n = workspace.zoneCount;
  for (int iteration = 1;; ++iteration) {
    printHeader(iteration, console);
    workspace.PivotCounter = 0;
    if (n > 0) {
      std::memcpy(workspace.PreviousTripTable[0], workspace.TripTable[0], sizeof(double) * n * n);
    }
    resetToLinkBasis(workspace, network);
    runPivotLoop(workspace, network, console);
    bisectSegment(workspace);
    takeSearchPoint(workspace);
    console << "\n";
    const double average = averageFlowDifference(workspace);
    console << "   Average O-D flow difference: " << average << "\n";
    if (kConvergenceTolerance > average || iteration >= kMaxOuterIterations) break;
  }
  console << "\n";
  // The pivot indexes and their L x L working storage are not needed again.
  const bool reference = workspace.Scratch.reference;
  workspace.Scratch = PivotScratch();
  workspace.Scratch.reference = reference;
}

}  // namespace veldmark
