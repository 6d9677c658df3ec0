// The routes of one level of a balancing: an equilibrium assignment of a
// table's pairs on the road network, and its route proportions seen from the
// counted links.
#pragma once

#include "assignment/route_set.h"
#include "estimation/balancing/balancing_inputs.h"
#include "estimation/balancing/balancing_record.h"
#include "numeric/thread_team.h"

namespace veldmark {

struct LevelRoutes {
  RouteSet road;               // every pair's routes over the road links
  RouteSet counted;            // the same over the counted links (counted_routes.h); empty
                               //   when countedIsRoad
  bool countedIsRoad = false;  // counted link c is road link c alone, for every road link:
                               //   the counted routes are the road routes, held once

  /// The routes over the counted links.
  const RouteSet& countedRoutes() const { return countedIsRoad ? road : counted; }
};

/// True when the counted links are the road links, one each and in order
/// (counted link c is road link c alone): restricting a route set to them
/// gives it back unchanged, bit for bit.
bool countedAreRoadLinks(const CountedLinks& counted, int roadLinks);

/// Assigns `demand` on `pairs` (assignPairs, at settings.gap and
/// settings.maxAssignmentIterations), fills `routes` and the assignment's part of
/// `level` (gap, iterations, cap, seconds, routes; the counted routes held
/// once when countedAreRoadLinks), and adds the trips of
/// the pairs no route joins to `record` (only at level 1). Reports each
/// iteration to settings.onAssignment with `levelNumber`. Allocates;
/// prints nothing.
void assignLevel(const BalancingInputs& inputs, const BalancingSettings& settings,
                 const std::vector<ZonePair>& pairs, const std::vector<double>& demand,
                 int levelNumber, ThreadTeam* team, LevelRoutes& routes, LevelRecord& level,
                 BalancingRecord& record);

}  // namespace veldmark
