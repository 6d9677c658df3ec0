#include "estimation/linearised/line_search.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "estimation/linearised/cost_rule.h"
#include "estimation/linearised/limits.h"

namespace veldmark {
namespace {

void copyMatrix(const DenseMatrix& from, DenseMatrix& to, int n) {
  if (n > 0) std::memcpy(to[0], from[0], sizeof(double) * n * n);
}

// The derivative at the bracket's midpoint; also stores that midpoint.
double derivativeAtMidpoint(EstimationWorkspace& workspace) {
  const int n = workspace.zoneCount;
  double derivative = 0;
  for (int i = 0; i < n; ++i) {
    const double* lower = workspace.SearchLower[i];
    const double* upper = workspace.SearchUpper[i];
    double* midpoint = workspace.SearchMidpoint[i];
    for (int j = 0; j < n; ++j) {
      const double sum = upper[j] + lower[j];
      if (sum > 0) derivative = derivative + std::log(sum * 0.5) * (upper[j] - lower[j]);
      midpoint[j] = (lower[j] + upper[j]) * 0.5;
    }
  }
  return derivative;
}

// LinkFlows = the midpoint of the link flows' bracket, as for the tables.
void linkFlowsAtMidpoint(EstimationWorkspace& workspace) {
  for (int k = 0; k < workspace.linkCount; ++k) {
    workspace.LinkFlows[k] =
        (workspace.SearchLowerLinkFlows[k] + workspace.SearchUpperLinkFlows[k]) * 0.5;
  }
}

}  // namespace

LineSearchResult bisectSegment(EstimationWorkspace& workspace) {
  const int n = workspace.zoneCount;
  copyMatrix(workspace.PreviousTripTable, workspace.SearchLower, n);
  copyMatrix(workspace.TripTable, workspace.SearchUpper, n);
  LineSearchResult result;
  double lower = 0.0;
  double upper = 1.0;
  for (int step = 0; step < kLineSearchSteps; ++step) {
    const double derivative = derivativeAtMidpoint(workspace);
    linkFlowsAtMidpoint(workspace);
    result.steps = step + 1;
    result.step = (lower + upper) * 0.5;
    if (derivative < 0) {
      copyMatrix(workspace.SearchMidpoint, workspace.SearchLower, n);
      workspace.SearchLowerLinkFlows = workspace.LinkFlows;
      lower = result.step;
    } else if (derivative > 0) {
      copyMatrix(workspace.SearchMidpoint, workspace.SearchUpper, n);
      workspace.SearchUpperLinkFlows = workspace.LinkFlows;
      upper = result.step;
    } else {
      break;
    }
  }
  return result;
}

void takeSearchPoint(EstimationWorkspace& workspace) {
  const int n = workspace.zoneCount;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const double flow = workspace.SearchMidpoint[i][j];
      workspace.TripTable[i][j] = flow;
      workspace.CostTable[i][j] = costOfFlow(flow, i == j);
    }
  }
}

}  // namespace veldmark
