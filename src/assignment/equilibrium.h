// User-equilibrium assignment of a list of zone pairs' trips on a road
// network, origin-based: each origin's trips on an acyclic bush, flow moved
// within it from the costliest used route to the cheapest at each node
// (Dial's method B): every used route of a pair ends up the cheapest at the
// link costs its volumes give.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "assignment/route_set.h"
#include "network/road_network.h"
#include "network/zone_set.h"
#include "numeric/thread_team.h"

namespace veldmark {

// One iteration as its trace records it; the costs of iteration k are those
// its shortest-path trees were computed at (before its route shifts).
struct IterationTrace {
  int iteration = 0;       // 0: the all-or-nothing loading at free-flow costs
  double gap = 0.0;        // relative gap at the iteration's costs (infinity at iteration 0)
  double objective = 0.0;  // Σ_a ∫₀^{v_a} c_a at the same volumes
  double seconds = 0.0;    // wall time since the assignment started
};

struct AssignmentSettings {
  double gap = 1e-4;            // stop once the relative gap is at most this
  int maxIterations = 1000;     // stop after this many iterations (after iteration 0)
  double tollFactor = 0.0;      // cost of a unit of toll (attribute 7)
  double distanceFactor = 0.0;  // cost of a unit of length (attribute 2)
  ThreadTeam* team = nullptr;   // shares the shortest-path trees; null: the calling thread
  std::function<void(const IterationTrace&)> onIteration;  // called after each iteration's gap
};

enum class AssignmentStop {
  kGapReached,    // the relative gap fell to settings.gap
  kIterationCap,  // settings.maxIterations iterations ran first
};

struct AssignmentResult {
  std::vector<double> linkVolumes;         // per link (network order), the final volume
  std::vector<double> linkCosts;           // per link, its cost at that volume
  RouteSet routes;                         // every pair's routes and shares (see assignPairs)
  std::vector<IterationTrace> iterations;  // iteration 0 first
  AssignmentStop stop = AssignmentStop::kGapReached;
  double diagonalTrips = 0.0;         // demand of pairs whose origin is their destination
  double unreachableTrips = 0.0;      // demand of pairs that no route joins
  std::vector<int> unreachablePairs;  // their indices into the pair list, in order
  std::int64_t workingBytes = 0;      // peak bytes of the bushes (by routes: routes and trees)
};

/// Assigns `demand` (one value per pair of `pairs`, zone indices of `zones`;
/// 0 allowed) on `network`. Iteration 0 plants each origin's bush as its
/// shortest-path tree and loads its demand on it, origins (in order of first
/// appearance in `pairs`) in fixed blocks of 16 whose trees are computed at
/// the costs of the loading so far. Iteration k >= 1 computes every origin's
/// shortest-path tree at the current costs (spread over settings.team) for
/// the relative gap, and stops when it is at most settings.gap or
/// k = settings.maxIterations; otherwise it runs eighteen sweeps, every
/// third (the first, the fourth, ...) growing every bush at the sweep's
/// costs (growBush, over the team: each bush is its own), each making one
/// pass of shifts on each bush (shiftPass: origins in order, costs updated
/// as it goes, each bush's labels at the costs from before the previous
/// bush shifted, computed ahead by a second member). The result is
/// therefore the same bits at any team size. The routes are cut out of the
/// final bushes (routesFromBushes). A pair whose origin is its destination,
/// or that no route joins, is left out (counted in the result) and gets no
/// route; a pair of demand 0 gets its shortest route at the final costs with
/// share 1.
/// REQUIRES: demand.size() == pairs.size(), every value finite and >= 0.
/// Prints nothing; calls settings.onIteration.
AssignmentResult assignPairs(const RoadNetwork& network, const ZoneSet& zones,
                             const std::vector<ZonePair>& pairs, const std::vector<double>& demand,
                             const AssignmentSettings& settings);

}  // namespace veldmark
