// The route proportions seen from the counted links: P restricted to the
// rows of the counted links, which is all a balancing reads. A route keeps
// only the counted links it crosses, and the routes of a pair that cross the
// same counted links (they differ only where nothing is counted) become one,
// so both products get cheaper in proportion.
#pragma once

#include "assignment/route_set.h"
#include "estimation/balancing/counted_links.h"

namespace veldmark {

/// The route set of `full`'s pairs over the counted links (linkCount =
/// `countedLinks`): each route's road links replaced, in route order, by the
/// counted links they belong to (`map`); routes of a pair whose lists are
/// then equal merged into the first of them, their shares added in route
/// order. A route crossing no counted link keeps an empty list. P x and Pᵀ y
/// on the result equal, row for row, the sums of the full route set's rows
/// over each counted link's road links. Allocates; prints nothing.
RouteSet restrictRoutes(const RouteSet& full, const RoadToCounted& map, int countedLinks);

}  // namespace veldmark
