#include "assignment/bush.h"

namespace veldmark {

void makeBush(const RoadNetwork& network, std::int32_t originNode, BushBuild& build, Bush& bush) {
  const int nodes = network.nodeCount();
  const int entries = static_cast<int>(build.links.size());
  if (static_cast<int>(build.position.size()) != nodes) build.position.assign(nodes, -1);
  // --- Entries by tail node; each head's count of in-links ---
  build.pending.assign(static_cast<std::size_t>(nodes), 0);
  build.firstOut.assign(static_cast<std::size_t>(nodes) + 1, 0);
  for (const std::int32_t a : build.links) {
    ++build.pending[network.to[a]];
    ++build.firstOut[network.from[a] + 1];
  }
  for (int i = 0; i < nodes; ++i) build.firstOut[i + 1] += build.firstOut[i];
  build.outEntry.resize(static_cast<std::size_t>(entries));
  build.byHead.assign(build.firstOut.begin(), build.firstOut.end() - 1);  // cursors
  for (int e = 0; e < entries; ++e)
    build.outEntry[build.byHead[network.from[build.links[e]]]++] = e;
  // --- Kahn's order: a node joins once its last in-link is ordered ---
  bush.originNode = originNode;
  bush.order.clear();
  bush.order.push_back(originNode);
  build.position[originNode] = 0;
  for (std::size_t next = 0; next < bush.order.size(); ++next) {
    const std::int32_t i = bush.order[next];
    for (int k = build.firstOut[i]; k < build.firstOut[i + 1]; ++k) {
      const std::int32_t j = network.to[build.links[build.outEntry[k]]];
      if (--build.pending[j] == 0) {
        build.position[j] = static_cast<std::int32_t>(bush.order.size());
        bush.order.push_back(j);
      }
    }
  }
  // --- In-links by head position, in the order given ---
  const int size = bush.nodeCount();
  bush.firstIn.assign(static_cast<std::size_t>(size) + 1, 0);
  for (const std::int32_t a : build.links) ++bush.firstIn[build.position[network.to[a]] + 1];
  for (int k = 0; k < size; ++k) bush.firstIn[k + 1] += bush.firstIn[k];
  bush.inLink.resize(static_cast<std::size_t>(entries));
  bush.inTail.resize(static_cast<std::size_t>(entries));
  bush.flow.resize(static_cast<std::size_t>(entries));
  build.byHead.assign(bush.firstIn.begin(), bush.firstIn.end() - 1);  // cursors
  for (int e = 0; e < entries; ++e) {
    const std::int32_t a = build.links[e];
    const std::int32_t slot = build.byHead[build.position[network.to[a]]]++;
    bush.inLink[slot] = a;
    bush.inTail[slot] = build.position[network.from[a]];
    bush.flow[slot] = build.flows[e];
  }
  for (const std::int32_t node : bush.order) build.position[node] = -1;
}

std::int64_t bushBytes(const Bush& bush) {
  return static_cast<std::int64_t>((bush.order.capacity() + bush.firstIn.capacity() +
                                    bush.inLink.capacity() + bush.inTail.capacity()) *
                                       sizeof(std::int32_t) +
                                   bush.flow.capacity() * sizeof(double));
}

}  // namespace veldmark
