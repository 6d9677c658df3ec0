#include "estimation/balancing/counted_links.h"

#include <string>

#include "veldmark/file_name.h"

namespace veldmark {
namespace {

// Appends the road links from node number `from` to `to`; returns how many.
int appendRoadLinks(const RoadNetwork& network, NodeId from, NodeId to,
                    std::vector<std::int32_t>& links) {
  const int tail = findNode(network, from);
  const int head = findNode(network, to);
  if (tail < 0 || head < 0) return 0;
  int found = 0;
  for (std::int32_t k = network.firstOut[tail]; k < network.firstOut[tail + 1]; ++k) {
    const std::int32_t a = network.outLinks[k];
    if (network.to[a] != head) continue;
    links.push_back(a);
    ++found;
  }
  return found;
}

}  // namespace

int CountedLinks::countedCount() const {
  int n = 0;
  for (const std::uint8_t has : hasCount) n += has;
  return n;
}

Status matchCountedLinks(const RoadNetwork& network, const AbstractNetwork& abstract,
                         const std::vector<std::uint8_t>& named, CountedLinks& counted) {
  counted = CountedLinks{};
  counted.firstRoad.push_back(0);
  std::vector<std::int32_t> links;
  for (int k = 0; k < abstract.linkCount(); ++k) {
    const LinkEndpoints ends = abstract.endpoints[k];
    links.clear();
    if (appendRoadLinks(network, ends.from, ends.to, links) == 0) {
      return Status{displayName(abstract.path) + ":" + std::to_string(abstract.lineNumbers[k]) +
                    ": no link of " + displayName(network.path) + " joins " +
                    std::to_string(ends.from) + " to " + std::to_string(ends.to)};
    }
    counted.hasCount.push_back(named[k] ? 1 : 0);
    counted.counts.push_back(named[k] ? abstract.records[k].observedFlow : 0.0);
    counted.roadLinks.insert(counted.roadLinks.end(), links.begin(), links.end());
    counted.firstRoad.push_back(static_cast<std::int32_t>(counted.roadLinks.size()));
  }
  return Status{};
}

RoadToCounted roadToCounted(const CountedLinks& counted, int roadLinks) {
  RoadToCounted map;
  map.first.assign(static_cast<std::size_t>(roadLinks) + 1, 0);
  for (const std::int32_t a : counted.roadLinks) ++map.first[a + 1];
  for (int a = 0; a < roadLinks; ++a) map.first[a + 1] += map.first[a];
  map.countedOf.resize(counted.roadLinks.size());
  std::vector<std::int32_t> next(map.first.begin(), map.first.end() - 1);
  for (int c = 0; c < counted.count(); ++c) {
    for (std::int32_t k = counted.firstRoad[c]; k < counted.firstRoad[c + 1]; ++k) {
      map.countedOf[next[counted.roadLinks[k]]++] = c;
    }
  }
  return map;
}

}  // namespace veldmark
