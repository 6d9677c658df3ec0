#include "assignment/bush_growth.h"

#include <algorithm>

namespace veldmark {
namespace {

// Step 1: the entries that stay (with flow, or ending their node's cheapest
// route) into build.links and build.flows, in entry order, marked in
// build.linkMark; step 2: U over them into labels.longest. True when an
// entry left.
bool keepEntries(const Bush& bush, const double* linkCosts, BushLabels& labels, BushBuild& build) {
  build.links.clear();
  build.flows.clear();
  labels.longest[0] = 0.0;
  for (int k = 1; k < bush.nodeCount(); ++k) {
    double most = labels.shortest[k];
    for (std::int32_t e = bush.firstIn[k]; e < bush.firstIn[k + 1]; ++e) {
      const std::int32_t i = bush.inTail[e];
      const bool used = bush.flow[e] > 0.0 && (i == 0 || labels.longIn[i] >= 0);
      if (!used && e != labels.shortIn[k]) continue;
      const std::int32_t a = bush.inLink[e];
      build.links.push_back(a);
      build.flows.push_back(used ? bush.flow[e] : 0.0);
      build.linkMark[a] = 1;
      most = std::max(most, labels.longest[bush.inTail[e]] + linkCosts[a]);  // U_i + c_ij
    }
    labels.longest[k] = most;
  }
  return static_cast<int>(build.links.size()) < bush.entryCount();
}

}  // namespace

int growBush(const RoadNetwork& network, const ZoneSet& zones, const double* linkCosts, Bush& bush,
             BushLabels& labels, BushBuild& build) {
  const int links = network.linkCount();
  if (static_cast<int>(build.linkMark.size()) != links) build.linkMark.assign(links, 0);
  if (static_cast<int>(build.position.size()) != network.nodeCount()) {
    build.position.assign(static_cast<std::size_t>(network.nodeCount()), -1);
  }
  labelBush(bush, linkCosts, labels);
  const bool pruned = keepEntries(bush, linkCosts, labels, build);
  for (int k = 0; k < bush.nodeCount(); ++k) build.position[bush.order[k]] = k;
  const std::size_t kept = build.links.size();
  for (int a = 0; a < links; ++a) {
    const std::int32_t pi = build.position[network.from[a]];
    const std::int32_t pj = build.position[network.to[a]];
    if (pi < 0 || pj <= 0 || build.linkMark[a]) continue;
    const std::int32_t i = network.from[a];
    if (pi > 0 && !zones.throughZones && zones.nodeZone[i] >= 0) continue;
    // a shortcut of the cheapest route to j that keeps the bush acyclic
    if (labels.shortest[pi] + linkCosts[a] < labels.shortest[pj] &&
        labels.longest[pi] < labels.longest[pj]) {
      build.links.push_back(a);
      build.flows.push_back(0.0);
    }
  }
  for (int k = 0; k < bush.nodeCount(); ++k) build.position[bush.order[k]] = -1;
  for (std::size_t e = 0; e < kept; ++e) build.linkMark[build.links[e]] = 0;
  const int added = static_cast<int>(build.links.size() - kept);
  if (pruned || added > 0) makeBush(network, bush.originNode, build, bush);
  return added;
}

}  // namespace veldmark
