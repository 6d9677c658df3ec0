// The routes of each zone pair, read off its origin's bush: the bush's flow
// cut into routes from the origin to each destination.
#pragma once

#include <cstdint>
#include <vector>

#include "assignment/bush.h"
#include "assignment/route_set.h"
#include "network/road_network.h"
#include "network/zone_set.h"
#include "numeric/thread_team.h"

namespace veldmark {

// What the routes are read from: the assignment's pairs and bushes.
struct BushRoutesInput {
  const RoadNetwork& network;
  const ZoneSet& zones;
  const std::vector<ZonePair>& pairs;
  const std::vector<double>& demand;
  const std::vector<std::vector<int>>& originPairs;  // per bush, its pairs in list order
  const std::vector<std::uint8_t>& reachable;        // per pair, 0: no route
  const std::vector<Bush>& bushes;
  const std::vector<double>& linkCosts;  // the final costs
};

/// The route set of every pair (in list order). Per bush, its reachable
/// pairs of demand > 0, destinations from the last in the bush's order to
/// the first (pairs of one destination in list order), take routes out of
/// the bush's flow not yet taken: from the destination back to the origin
/// along the in-link with the most flow left (the first of equals), as much
/// as the route's least flow left or the pair's trips not yet taken allow,
/// until the pair's trips are taken or no flow is left. Taking the farthest
/// destinations first leaves at each node only the flow that ends there, so
/// the routes carry the bush's flow: V = P T reproduces the bush's link
/// flows up to rounding. Shares are the routes' trips over their sum. A pair
/// that takes nothing (demand 0, or its flow lost to rounding) gets its
/// shortest route at linkCosts, share 1; a pair without a bush or not
/// reachable gets no route. Bushes are spread over `team`, each writing its
/// own pairs' routes: the same bits at any team size. Prints nothing.
RouteSet routesFromBushes(const BushRoutesInput& input, ThreadTeam* team);

}  // namespace veldmark
