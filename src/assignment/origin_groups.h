// A pair list grouped by origin zone: what both equilibrium engines walk
// origin by origin.
#pragma once

#include <vector>

#include "assignment/route_set.h"

namespace veldmark {

struct OriginGroups {
  std::vector<int> originZone;                // per origin, its zone (first-appearance order)
  std::vector<int> pairOrigin;                // per pair, its origin, or -1 (a diagonal pair)
  std::vector<std::vector<int>> originPairs;  // per origin, its pairs in list order
  double diagonalTrips = 0.0;                 // Σ demand of the diagonal pairs
};

/// Groups `pairs` (with `demand`, one per pair) by origin zone, origins in
/// the order they first appear; diagonal pairs get no origin and their
/// demand is summed. Allocates; prints nothing.
OriginGroups groupByOrigin(int zoneCount, const std::vector<ZonePair>& pairs,
                           const std::vector<double>& demand);

}  // namespace veldmark
