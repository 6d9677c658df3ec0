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
  RouteSet road;     // every pair's routes over the road links
  RouteSet counted;  // the same over the counted links (counted_routes.h)
};

/// Assigns `demand` on `pairs` (assignPairs, at settings.gap and
/// settings.maxAssignmentIterations; `iterationsAtMost`, when above 0, caps
/// the iterations further), fills `routes` and the assignment's part of
/// `level` (gap, iterations, cap, seconds, routes), and adds the trips of
/// the pairs no route joins to `record` (only at level 1). Reports each
/// iteration to settings.onAssignment with `levelNumber`. Allocates;
/// prints nothing.
void assignLevel(const BalancingInputs& inputs, const BalancingSettings& settings,
                 const std::vector<ZonePair>& pairs, const std::vector<double>& demand,
                 int levelNumber, int iterationsAtMost, ThreadTeam* team, LevelRoutes& routes,
                 LevelRecord& level, BalancingRecord& record);

}  // namespace veldmark
