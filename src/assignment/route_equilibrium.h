// The path-based equilibrium (gradient projection over route sets grown by
// column generation): the first engine, kept to compare with.
#pragma once

#include "assignment/equilibrium.h"

namespace veldmark {

/// As assignPairs, by shifts between each pair's routes.
AssignmentResult assignPairsByRoutes(const RoadNetwork& network, const ZoneSet& zones,
                                     const std::vector<ZonePair>& pairs,
                                     const std::vector<double>& demand,
                                     const AssignmentSettings& settings);

}  // namespace veldmark
