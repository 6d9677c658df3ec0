// The routes of a list of zone pairs and each route's share of its pair's
// trips, as the final iteration of an assignment left them:
//   P[a, p] = Σ over pair p's routes through link a of the route's share.
// P is never stored densely: both products walk the routes.
#pragma once

#include <cstdint>
#include <vector>

#include "numeric/thread_team.h"
#include "veldmark/types.h"

namespace veldmark {

using ZonePair = OdPair;  // origin and destination as zone indices of a ZoneSet

struct RouteSet {
  int linkCount = 0;                     // links of the road network (the length of V)
  std::vector<ZonePair> pairs;           // in the order given to the assignment; size m
  std::vector<std::int64_t> firstRoute;  // pair p's routes: [firstRoute[p], firstRoute[p+1]); m + 1
  std::vector<std::int64_t> firstLink;   // route r's links: routeLinks[firstLink[r] ..
                                         //   firstLink[r+1]), origin to destination; routes + 1
  std::vector<std::int32_t> routeLinks;  // link indices into the road network's links
  std::vector<double> shares;            // per route, its share of the pair's trips: they sum to 1
                                         //   (a pair that no route joins has no route)

  int pairCount() const { return static_cast<int>(pairs.size()); }
  std::int64_t routeCount() const { return static_cast<std::int64_t>(shares.size()); }
  /// Bytes held by the arrays (their sizes, not their capacities).
  std::int64_t bytes() const;
};

/// Appends pair `pair`'s routes: `routes` link lists with their `shares`.
/// REQUIRES: pairs are appended in order; firstRoute and firstLink start as {0}.
void appendPair(RouteSet& routes, ZonePair pair,
                const std::vector<std::vector<std::int32_t>>& links,
                const std::vector<double>& shares);

/// V = P x: linkValues[a] = Σ_p pairValues[p] · P[a, p] over every link
/// (resized to routes.linkCount). The pairs are cut into fixed blocks that
/// depend on the pair count alone; each block sums its routes in order into
/// its own link array, and the blocks are added in block order: the same
/// bits at any team size. REQUIRES: pairValues.size() == routes.pairCount().
/// Allocates blocks × links doubles; prints nothing.
void loadPairs(const RouteSet& routes, const std::vector<double>& pairValues,
               std::vector<double>& linkValues, ThreadTeam* team);

/// g = Pᵀ y: pairValues[p] = Σ_a P[a, p] · linkValues[a] (resized to the
/// pair count), each pair's sum in route and link order: the same bits at
/// any team size. REQUIRES: linkValues.size() == routes.linkCount. Prints nothing.
void sumAlongPairs(const RouteSet& routes, const std::vector<double>& linkValues,
                   std::vector<double>& pairValues, ThreadTeam* team);

}  // namespace veldmark
