#include "estimation/linearised/fast/pivot_algebra.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <vector>

#include "estimation/linearised/inverse_check.h"
#include "estimation/linearised/link_prices.h"
#include "estimation/linearised/pivot_step.h"
#include "numeric/thread_team.h"

namespace veldmark::fast {
namespace {

bool allFinite(const std::vector<double>& values) {
  for (double x : values) {
    if (!std::isfinite(x)) return false;
  }
  return true;
}

bool flowsFinite(const AbstractNetwork& network) {
  for (const AbstractLinkRecord& record : network.records) {
    if (!std::isfinite(record.observedFlow)) return false;
  }
  return true;
}

// Row c of the check: acc[d] = trunc(B[c][k] * Inv[k][d] + acc[d]) over the
// nonzero B[c][k] in increasing k. With a finite inverse a zero B[c][k]
// adds +-0 to an integer-valued accumulator, which changes nothing.
void checkRow(const EstimationWorkspace& workspace, int c, std::vector<int>& acc) {
  const RowPattern& basisRows = workspace.Scratch.basisRows;
  const RowPattern& inverseRows = workspace.Scratch.inverseRows;
  std::fill(acc.begin(), acc.end(), 0);
  for (int e = basisRows.start[c]; e < basisRows.start[c + 1]; ++e) {
    const int k = basisRows.columns[e];
    const double b = workspace.BasisMatrix[c][k];
    const double* inverseRow = workspace.BasisInverse[k];
    for (int f = inverseRows.start[k]; f < inverseRows.start[k + 1]; ++f) {
      const int d = inverseRows.columns[f];
      acc[d] = truncateToInt32(b * inverseRow[d] + acc[d]);
    }
  }
}

// Whether row c of the check is row c of the identity.
bool checkRowIsIdentity(const EstimationWorkspace& workspace, int c, std::vector<int>& acc) {
  checkRow(workspace, c, acc);
  for (int d = 0; d < static_cast<int>(acc.size()); ++d) {
    if (acc[d] != (c == d ? 1 : 0)) return false;
  }
  return true;
}

}  // namespace

// Whether the dense loop must stand in for the row-by-row check.
bool checkNeedsDenseLoop(const EstimationWorkspace& workspace) {
  return !workspace.Scratch.plainInverse || !workspace.Scratch.zeroOneBasis;
}

bool inverseCheckPasses(EstimationWorkspace& workspace) {
  const int l = workspace.linkCount;
  if (checkNeedsDenseLoop(workspace)) {
    return formInverseCheck(workspace.BasisMatrix, workspace.BasisInverse, l,
                            workspace.InverseCheckMatrix);
  }
  // Each row is checked whole by one member; the answer is whether all pass.
  std::atomic<bool> passes{true};
  ThreadTeam* team = workspace.Team.get();
  std::vector<std::vector<int>> accs(static_cast<std::size_t>(team == nullptr ? 1 : team->size()));
  forEachChunk(team, l, chunkRows(team, l), [&](int first, int end, int member) {
    std::vector<int>& acc = accs[member];
    acc.resize(static_cast<std::size_t>(l));
    for (int c = first; c < end; ++c) {
      if (!passes.load(std::memory_order_relaxed)) return;
      if (!checkRowIsIdentity(workspace, c, acc)) passes.store(false, std::memory_order_relaxed);
    }
  });
  return passes.load();
}

void printInverseCheck(EstimationWorkspace& workspace, std::ostream& console) {
  const int l = workspace.linkCount;
  if (checkNeedsDenseLoop(workspace)) {
    veldmark::printInverseCheck(workspace.InverseCheckMatrix, l, console);
    return;
  }
  std::vector<int> acc(static_cast<std::size_t>(l));
  for (int c = 0; c < l; ++c) {
    checkRow(workspace, c, acc);
    for (int d = 0; d < l; ++d) console << static_cast<double>(acc[d]) << " ";
    console << "\n";
  }
  console << "\n";
}

void computeLinkPrices(EstimationWorkspace& workspace) {
  if (!workspace.Scratch.plainInverse || !allFinite(workspace.BasicCosts)) {
    veldmark::computeLinkPrices(workspace);
    return;
  }
  const int l = workspace.linkCount;
  const RowPattern& inverseRows = workspace.Scratch.inverseRows;
  std::vector<double>& dual = workspace.DualValues;
  std::fill(dual.begin(), dual.end(), 0.0);
  for (int k = 0; k < l; ++k) {
    const double cost = workspace.BasicCosts[k];
    const double* inverseRow = workspace.BasisInverse[k];
    for (int f = inverseRows.start[k]; f < inverseRows.start[k + 1]; ++f) {
      const int d = inverseRows.columns[f];
      dual[d] = dual[d] + cost * inverseRow[d];
    }
  }
  for (int d = 0; d < l; ++d) workspace.LinkPrice[d] = -1.0 * dual[d];
}

double ratioTest(const EstimationWorkspace& workspace, const AbstractNetwork& network) {
  if (!workspace.Scratch.plainInverse || !flowsFinite(network)) {
    return veldmark::ratioTest(workspace, network);
  }
  const RowPattern& inverseRows = workspace.Scratch.inverseRows;
  const double* entering = workspace.EnteringColumn.data();
  double theta = kUnreachable;
  for (int r = 0; r < workspace.linkCount; ++r) {
    const double* inverseRow = workspace.BasisInverse[r];
    double num = 0.0;
    double den = 0.0;
    for (int f = inverseRows.start[r]; f < inverseRows.start[r + 1]; ++f) {
      const int k = inverseRows.columns[f];
      num = num + inverseRow[k] * network.records[k].observedFlow;
      if (entering[k] != 0.0) den = den + inverseRow[k] * entering[k];
    }
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
  std::vector<double> residual(static_cast<std::size_t>(l));
  for (int j = 0; j < l; ++j) {
    residual[j] = network.records[j].observedFlow - workspace.EnteringColumn[j] * theta;
  }
  if (!workspace.Scratch.plainInverse || !allFinite(residual)) {
    veldmark::updateBasicValues(workspace, network, theta);
    return;
  }
  const RowPattern& inverseRows = workspace.Scratch.inverseRows;
  for (int i = 0; i < l; ++i) {
    const double* inverseRow = workspace.BasisInverse[i];
    double value = 0.0;
    for (int f = inverseRows.start[i]; f < inverseRows.start[i + 1]; ++f) {
      const int j = inverseRows.columns[f];
      value = value + residual[j] * inverseRow[j];
    }
    workspace.BasicValues[i] = value;
  }
}

}  // namespace veldmark::fast
