// --volumes: the modelled volume on every road (BASE) link of a balancing
// method's estimate.
#pragma once

#include <string>
#include <vector>

#include "network/road_network.h"
#include "veldmark/types.h"

namespace veldmark {

/// The text of the volumes file: header "from_node_id,to_node_id,volume,cost",
/// then per road link in file order its node numbers, the volume the
/// estimate's routes put on it and the link's cost at that volume (free-flow
/// time and curve only), numbers in the shortest form that reads back as the
/// same double (the layout of veldmark-assign's VOLUMES). REQUIRES:
/// volumes.size() == network.linkCount(). Allocates; prints nothing.
std::string formatRoadVolumes(const RoadNetwork& network, const std::vector<double>& volumes);

}  // namespace veldmark
