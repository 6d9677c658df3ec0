#include "estimation/balancing/level_routes.h"

#include <algorithm>

#include "assignment/equilibrium.h"
#include "estimation/balancing/counted_routes.h"

namespace veldmark {

bool countedAreRoadLinks(const CountedLinks& counted, int roadLinks) {
  if (counted.count() != roadLinks) return false;
  for (int c = 0; c < counted.count(); ++c) {
    if (counted.firstRoad[c + 1] - counted.firstRoad[c] != 1) return false;
    if (counted.roadLinks[counted.firstRoad[c]] != c) return false;
  }
  return true;
}

void assignLevel(const BalancingInputs& inputs, const BalancingSettings& settings,
                 const std::vector<ZonePair>& pairs, const std::vector<double>& demand,
                 int levelNumber, ThreadTeam* team, LevelRoutes& routes, LevelRecord& level,
                 BalancingRecord& record) {
  AssignmentSettings assignment;
  assignment.gap = settings.gap;
  assignment.maxIterations = settings.maxAssignmentIterations;
  assignment.team = team;
  if (settings.onAssignment) {
    assignment.onIteration = [&settings, levelNumber](const IterationTrace& trace) {
      settings.onAssignment(levelNumber, trace.iteration, trace.gap);
    };
  }
  AssignmentResult result = assignPairs(*inputs.network, *inputs.zones, pairs, demand, assignment);
  level.assignmentGap = result.iterations.back().gap;
  level.assignmentIterations = static_cast<int>(result.iterations.size()) - 1;
  level.assignmentCapped = result.stop == AssignmentStop::kIterationCap;
  level.assignmentSeconds = result.iterations.back().seconds;
  level.routes = result.routes.routeCount();
  if (levelNumber == 1) {
    record.unreachablePairs = static_cast<int>(result.unreachablePairs.size());
    record.unreachableTrips = result.unreachableTrips;
  }
  routes.road = std::move(result.routes);
  routes.countedIsRoad = countedAreRoadLinks(*inputs.counted, routes.road.linkCount);
  routes.counted = RouteSet{};
  if (!routes.countedIsRoad) {
    routes.counted =
        restrictRoutes(routes.road, roadToCounted(*inputs.counted, routes.road.linkCount),
                       inputs.counted->count());
  }
  record.routeBytes = std::max(record.routeBytes,
                               result.workingBytes + routes.road.bytes() + routes.counted.bytes());
}

}  // namespace veldmark
