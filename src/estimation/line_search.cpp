#include "estimation/line_search.h"

#include <cmath>
#include <cstring>

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

}  // namespace

void bisectSegment(EstimationWorkspace& workspace) {
  const int n = workspace.zoneCount;
  copyMatrix(workspace.PreviousTripTable, workspace.SearchLower, n);
  copyMatrix(workspace.TripTable, workspace.SearchUpper, n);
  for (int step = 0; step < kLineSearchSteps; ++step) {
    const double derivative = derivativeAtMidpoint(workspace);
    if (derivative < 0) {
      copyMatrix(workspace.SearchMidpoint, workspace.SearchLower, n);
    } else if (derivative > 0) {
      copyMatrix(workspace.SearchMidpoint, workspace.SearchUpper, n);
    } else {
      break;
    }
  }
}

void takeSearchPoint(EstimationWorkspace& workspace) {
  const int n = workspace.zoneCount;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const double flow = workspace.SearchMidpoint[i][j];
      workspace.TripTable[i][j] = flow;
      workspace.CostTable[i][j] = flow > 0 ? std::log(flow) : (i == j ? 0.0 : kLogOfZero);
    }
  }
}

double averageFlowDifference(const EstimationWorkspace& workspace) {
  const int n = workspace.zoneCount;
  double sum = 0;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const double flow = workspace.TripTable[i][j];
      if (flow > 0) {
        sum = sum + std::fabs(flow - workspace.PreviousTripTable[i][j]) / flow;
      }
    }
  }
  const double pairs = static_cast<double>(n) * static_cast<double>(n);
  return sum / (pairs - n);
}

}  // namespace veldmark
