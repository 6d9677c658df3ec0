#include "assignment/origin_groups.h"

namespace veldmark {

OriginGroups groupByOrigin(int zoneCount, const std::vector<ZonePair>& pairs,
                           const std::vector<double>& demand) {
  OriginGroups groups;
  std::vector<int> originOfZone(static_cast<std::size_t>(zoneCount), -1);
  groups.pairOrigin.assign(pairs.size(), -1);
  for (std::size_t p = 0; p < pairs.size(); ++p) {
    const ZonePair pair = pairs[p];
    if (pair.origin == pair.destination) {
      groups.diagonalTrips += demand[p];
      continue;
    }
    if (originOfZone[pair.origin] < 0) {
      originOfZone[pair.origin] = static_cast<int>(groups.originZone.size());
      groups.originZone.push_back(pair.origin);
      groups.originPairs.emplace_back();
    }
    groups.pairOrigin[p] = originOfZone[pair.origin];
    groups.originPairs[groups.pairOrigin[p]].push_back(static_cast<int>(p));
  }
  return groups;
}

}  // namespace veldmark
