#include "estimation/linearised/pivot_step.h"

namespace veldmark {

double ratioTest(const EstimationWorkspace& workspace, const AbstractNetwork& network) {
  const int l = workspace.linkCount;
  double theta = kUnreachable;
  for (int r = 0; r < l; ++r) {
    const double* inverseRow = workspace.BasisInverse[r];
    double num = 0.0;
    double den = 0.0;
    for (int k = 0; k < l; ++k) num = num + inverseRow[k] * network.records[k].observedFlow;
    for (int k = 0; k < l; ++k) den = den + inverseRow[k] * workspace.EnteringColumn[k];
    if (den > 0) {
      const double q = num / den;
      if (q >= 0 && q < theta) theta = q;
    }
  }
  return theta;
}

void updateBasicValues(EstimationWorkspace& workspace, const AbstractNetwork& network,
                       double theta) {
  const int l = workspace.linkCount;
  for (int i = 0; i < l; ++i) {
    const double* inverseRow = workspace.BasisInverse[i];
    double value = 0.0;
    for (int j = 0; j < l; ++j) {
      const double residual = network.records[j].observedFlow - workspace.EnteringColumn[j] * theta;
      value = value + residual * inverseRow[j];
    }
    workspace.BasicValues[i] = value;
  }
}

int leavingPosition(const EstimationWorkspace& workspace) {
  double least = kUnreachable;
  int position = -1;
  for (int i = 0; i < workspace.linkCount; ++i) {
    if (workspace.BasicValues[i] <= least) {
      least = workspace.BasicValues[i];
      position = i;
    }
  }
  return position;
}

void changeBasis(EstimationWorkspace& workspace, int leaving, OdPair entering, double theta) {
  workspace.BasicValues[leaving] = theta;
  workspace.Basis[leaving] = entering;
  const int l = workspace.linkCount;
  for (int k = 0; k < l; ++k) {
    const OdPair pair = workspace.Basis[k];
    workspace.BasicCosts[k] = workspace.CostTable[pair.origin][pair.destination];
  }
  const int n = workspace.zoneCount;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) workspace.TripTable[i][j] = 0.0;
  }
  for (int k = 0; k < l; ++k) {
    const OdPair pair = workspace.Basis[k];
    workspace.TripTable[pair.origin][pair.destination] =
        workspace.TripTable[pair.origin][pair.destination] + workspace.BasicValues[k];
  }
}

}  // namespace veldmark
