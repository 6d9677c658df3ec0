// Keeping an origin's bush fit for the current costs: links that carry none
// of the origin's trips leave it, and links that would shorten the cheapest
// routes join it, as long as the bush stays acyclic.
#pragma once

#include <cstdint>
#include <vector>

#include "assignment/bush.h"
#include "assignment/bush_flow.h"
#include "network/road_network.h"
#include "network/zone_set.h"

namespace veldmark {

/// Rebuilds `bush` at the link costs `linkCosts`:
///  1. labels (labelBush); an entry without flow leaves unless it ends its
///     node's cheapest route (so every node stays reached);
///  2. U_j = max over the remaining in-links (i, j) of U_i + c_ij;
///  3. every link (i, j) not in the bush, in network order, joins with flow 0
///     when i and j are in it, j is not the origin, i is the origin or may be
///     passed through (not a zone, unless zones.throughZones), and
///        L_i + c_ij < L_j   and   U_i < U_j
///     (a shortcut of the cheapest route that keeps the bush acyclic: every
///     link of the bush goes from a lower U to a higher or equal one);
///  4. makeBush over the remaining entries (in their order) and the links added.
/// Returns the number of links added. Uses `labels` and `build` as scratch
/// (build.linkMark is left at 0). Prints nothing.
int growBush(const RoadNetwork& network, const ZoneSet& zones, const double* linkCosts, Bush& bush,
             BushLabels& labels, BushBuild& build);

}  // namespace veldmark
