// The counted links of a balancing: each abstract link matched to the road
// network's links between the same two nodes, in that direction, with its
// count when a flow line names it. A count of 0 is a count; an abstract
// link that no flow line names has none (it is modelled, never fitted).
#pragma once

#include <cstdint>
#include <vector>

#include "network/road_network.h"
#include "veldmark/network.h"
#include "veldmark/types.h"

namespace veldmark {

struct CountedLinks {
  std::vector<double> counts;           // per abstract link c (file order), its count v_c (>= 0)
  std::vector<std::uint8_t> hasCount;   // per abstract link: 1 when a flow line names it
  std::vector<std::int32_t> firstRoad;  // c's road links: roadLinks[firstRoad[c] .. firstRoad[c+1])
  std::vector<std::int32_t> roadLinks;  //   indices into the road network's links, file order

  int count() const { return static_cast<int>(counts.size()); }
  int countedCount() const;  // links with a count
};

/// Matches every abstract link of `abstract` to the links of `network` that
/// join the same two nodes in the same direction (parallel road links are
/// counted together: the count is on their sum), with its observedFlow as
/// count where named[k] = 1 (else no count, and 0). Fails with
/// "ABSTRACT:LINE: no link of BASE joins FROM to TO" for an abstract link
/// that matches none. REQUIRES: named.size() ==
/// abstract.linkCount(). Allocates; prints nothing.
Status matchCountedLinks(const RoadNetwork& network, const AbstractNetwork& abstract,
                         const std::vector<std::uint8_t>& named, CountedLinks& counted);

/// Per road link, the counted links it belongs to: counted indices
/// countedOf[first[a] .. first[a+1]) (most road links belong to none, a few
/// to one; two abstract lines on the same road link make two). Allocates.
struct RoadToCounted {
  std::vector<std::int32_t> first;      // size road links + 1
  std::vector<std::int32_t> countedOf;  // counted link indices
};
RoadToCounted roadToCounted(const CountedLinks& counted, int roadLinks);

}  // namespace veldmark
