// An all-or-nothing loading at free-flow costs, from the shortest-path trees
// alone (no route set): each pair's trips on the one shortest route of its
// origin's tree. The flat prior's level needs no more than this.
#pragma once

#include <vector>

#include "assignment/route_set.h"
#include "network/road_network.h"
#include "network/zone_set.h"
#include "numeric/thread_team.h"

namespace veldmark {

/// V_a = Σ_p demand_p · [a on p's shortest route at free-flow costs c_a(0)]
/// per road link a (linkVolumes resized to the network's links). The
/// origins, in order of first appearance in `pairs`, go in fixed blocks of
/// 16 whose trees (path_tree.h, with its tie rules) are computed over
/// `team`; then, on the calling thread, each pair of the block in list order
/// adds its demand to its route's links from destination back to origin:
/// the same bits at any team size. A pair whose origin is its destination,
/// or that no route joins, adds nothing. REQUIRES: demand.size() ==
/// pairs.size(), zone indices of `zones`. Allocates 16 trees; prints nothing.
void freeFlowLoading(const RoadNetwork& network, const ZoneSet& zones,
                     const std::vector<ZonePair>& pairs, const std::vector<double>& demand,
                     ThreadTeam* team, std::vector<double>& linkVolumes);

}  // namespace veldmark
