#include "driver/volume_output.h"

#include <sstream>

#include "assignment/link_cost.h"
#include "output/shortest_number.h"

namespace veldmark {

std::string formatRoadVolumes(const RoadNetwork& network, const std::vector<double>& volumes) {
  const CostModel model = makeCostModel(network, 0.0, 0.0);
  std::ostringstream text;
  text << "from_node_id,to_node_id,volume,cost\n";
  for (int a = 0; a < network.linkCount(); ++a) {
    text << network.nodeNumbers[network.from[a]] << ',' << network.nodeNumbers[network.to[a]]
         << ',';
    writeShortestNumber(text, volumes[a]);
    text << ',';
    writeShortestNumber(text, linkCost(model, a, volumes[a]));
    text << '\n';
  }
  return text.str();
}

}  // namespace veldmark
