// Path columns: tracing a shortest path into a link-incidence vector, and
// pricing every O-D pair against the basis.
#pragma once

#include "estimation/linearised/workspace.h"
#include "veldmark/network.h"

namespace veldmark {

/// Walks the path from zone `origin` to zone `destination` back through
/// PathPredecessorMatrix: from w = destination, repeatedly prior = w,
/// w = PathPredecessorMatrix[origin][prior], and visit(link) for
/// link = firstLink(w, prior) unless it is -1, until w is the origin. The
/// body runs at least once and at most N times (a pair that no path joins
/// is cut off there).
template <typename FirstLink, typename Visit>
void walkPath(const EstimationWorkspace& workspace, ZoneIndex origin, ZoneIndex destination,
              FirstLink firstLink, Visit visit) {
  ZoneIndex w = destination;
  for (int step = 0; step < workspace.zoneCount; ++step) {
    const ZoneIndex prior = w;
    w = workspace.PathPredecessorMatrix[origin][prior];
    const int link = firstLink(w, prior);
    if (link >= 0) visit(link);
    if (w == origin) break;
  }
}

/// Writes into `column` (L entries) the incidence vector of the path from
/// zone `origin` to zone `destination` read back through
/// PathPredecessorMatrix: all 0.0, then 1.0 for the first link in link order
/// from each predecessor w to the zone after it. The loop body runs at least
/// once and at most N times, stopping when it reaches the origin.
void traceColumn(const EstimationWorkspace& workspace, const AbstractNetwork& network,
                 ZoneIndex origin, ZoneIndex destination, double* column);

/// True when `column` equals some column of BasisMatrix entry for entry.
bool duplicatesBasicColumn(const EstimationWorkspace& workspace, const double* column);

/// The pricing result: the least reduced cost among the candidates that
/// duplicate no basic column, and its pair (first in row-major order).
struct PricingResult {
  double BestReducedCost = kUnreachable;
  OdPair EnteringPair;
};

/// Prices every pair (row-major, diagonal included): r = CostTable + PathCost;
/// a pair with r strictly below the best so far has its column traced (into
/// EnteringColumn) and becomes the best unless it duplicates a basic column.
PricingResult priceColumns(EstimationWorkspace& workspace, const AbstractNetwork& network);

}  // namespace veldmark
