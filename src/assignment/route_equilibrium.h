// The path-based equilibrium (gradient projection over route sets grown by
// column generation): the engine before the bushes, kept as the independent
// twin that the bush engine's tests compare with.
#pragma once

#include "assignment/equilibrium.h"

namespace veldmark {

/// As assignPairs, by routes: iteration k computes every origin's
/// shortest-path tree at the current costs (over settings.team) and the
/// relative gap from them, and stops as assignPairs does; otherwise, origin
/// after origin in fixed blocks of 16 whose trees are computed anew at the
/// current costs, it adds each pair's shortest route to its route set and
/// shifts flow between the pair's routes (shiftPairFlow; on the calling
/// thread), then sweeps the pairs five more times shifting flow alone
/// (iteration 0 puts each pair's whole demand on its first route). The same
/// bits at any team size; the same pairs left out and demand-0 pairs
/// treated as assignPairs does. workingBytes counts its routes and trees.
/// Prints nothing; calls settings.onIteration.
AssignmentResult assignPairsByRoutes(const RoadNetwork& network, const ZoneSet& zones,
                                     const std::vector<ZonePair>& pairs,
                                     const std::vector<double>& demand,
                                     const AssignmentSettings& settings);

}  // namespace veldmark
