// The routes of each zone pair, read off its origin's bush: the bush's flow
// cut into routes from the origin to each destination.
#pragma once

#include <cstdint>
#include <vector>

#include "assignment/bush.h"
#include "assignment/bush_flow.h"
#include "assignment/route_set.h"
#include "network/road_network.h"
#include "network/zone_set.h"

namespace veldmark {

// What the routes are read from: the assignment's pairs and bushes.
struct BushRoutesInput {
  const RoadNetwork& network;
  const ZoneSet& zones;
  const std::vector<ZonePair>& pairs;
  const std::vector<double>& demand;
  const std::vector<int>& pairOrigin;           // per pair, its bush, or -1 (no route)
  const std::vector<std::uint8_t>& reachable;   // per pair, 0: no route
  const std::vector<Bush>& bushes;
  const std::vector<double>& linkCosts;         // the final costs
};

/// The route set of every pair (in list order). Per bush, its pairs in list
/// order take routes out of the bush's flow: from the destination back to
/// the origin along the entry with the most flow not yet taken (the first
/// such), as much as the route's least such flow or the trips not yet taken
/// allow; the route's trips are taken from its entries (the least exactly
/// to 0), until the pair's trips are taken or no flow is left; shares are
/// the routes' trips over their sum. A pair that takes nothing (demand 0, or
/// its flow taken by rounding) gets the bush's cheapest route at linkCosts,
/// share 1. A pair without a bush or not reachable gets no route. Uses
/// `build` and `labels` as scratch; prints nothing.
RouteSet routesFromBushes(const BushRoutesInput& input, BushBuild& build, BushLabels& labels);

}  // namespace veldmark
