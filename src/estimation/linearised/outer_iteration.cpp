#include "estimation/linearised/outer_iteration.h"

#include <cmath>
#include <cstring>

#include "estimation/linearised/limits.h"
#include "estimation/linearised/line_search.h"
#include "estimation/linearised/pivot_loop.h"

namespace veldmark {
namespace {

// The line search's two ends for the link flows: the flows the iteration
// started with, and those of the programme's final basis (each basic
// column's path incidence times its value, columns in order), which are the
// same flows when no pivot changed the table.
void bracketLinkFlows(EstimationWorkspace& workspace, const PivotLoopResult& loop) {
  const int l = workspace.linkCount;
  workspace.SearchLowerLinkFlows = workspace.LinkFlows;
  if (loop.pivots == 0) {
    workspace.SearchUpperLinkFlows = workspace.LinkFlows;
    return;
  }
  for (int k = 0; k < l; ++k) {
    const double* row = workspace.BasisMatrix[k];
    double flow = 0.0;
    for (int j = 0; j < l; ++j) {
      if (row[j] != 0.0) flow = flow + row[j] * workspace.BasicValues[j];
    }
    workspace.SearchUpperLinkFlows[k] = flow;
  }
}

void printHeader(int iteration, std::ostream& console) {
  console << "   ==========================================\n";
  console << "   Iteration: " << iteration << "\n";
  console << "   Pivot move over the linear space " << std::flush;
}

// One outer iteration, from its header to its average line.
IterationRecord runIteration(EstimationWorkspace& workspace, const AbstractNetwork& network,
                             std::ostream& console) {
  const int n = workspace.zoneCount;
  printHeader(workspace.Iteration, console);
  if (n > 0) {
    std::memcpy(workspace.PreviousTripTable[0], workspace.TripTable[0], sizeof(double) * n * n);
  }
  resetToLinkBasis(workspace, network);
  IterationRecord record;
  record.pivotLoop = runPivotLoop(workspace, network, console);
  bracketLinkFlows(workspace, record.pivotLoop);
  const LineSearchResult search = bisectSegment(workspace);
  record.lineSearchSteps = search.steps;
  record.step = search.step;
  takeSearchPoint(workspace);
  console << "\n";
  const TableMeasures measures = measureTable(workspace);
  record.average = measures.average;
  record.objective = measures.objective;
  console << "   Average O-D flow difference: " << record.average << "\n";
  return record;
}

}  // namespace

EstimationRecord runOuterIterations(EstimationWorkspace& workspace, const AbstractNetwork& network,
                                    std::ostream& console) {
  EstimationRecord record;
  for (workspace.Iteration = 1;; ++workspace.Iteration) {
    record.iterations.push_back(runIteration(workspace, network, console));
    const double average = record.iterations.back().average;
    record.converged = kConvergenceTolerance > average;
    if (record.converged || workspace.Iteration >= kMaxOuterIterations) break;
  }
  console << "\n";
  // The pivot indexes and their L x L working storage are not needed again.
  workspace.Scratch = fast::PivotScratch();
  return record;
}

TableMeasures measureTable(const EstimationWorkspace& workspace) {
  const int n = workspace.zoneCount;
  double change = 0;
  TableMeasures measures;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const double flow = workspace.TripTable[i][j];
      if (!(flow > 0)) continue;
      change = change + std::fabs(flow - workspace.PreviousTripTable[i][j]) / flow;
      measures.objective = measures.objective + flow * (workspace.CostTable[i][j] - 1.0);
    }
  }
  const double pairs = static_cast<double>(n) * static_cast<double>(n);
  measures.average = change / (pairs - n);
  return measures;
}

}  // namespace veldmark
