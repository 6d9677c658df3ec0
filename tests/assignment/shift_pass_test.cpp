// The pass of shifts with labels computed ahead: the same bits as its
// straightforward twin (labels one bush behind, on one thread) at any team
// size.
#include "assignment/shift_pass.h"

#include <gtest/gtest.h>

#include "assignment/bush_growth.h"
#include "assignment/network_fixture.h"
#include "assignment/path_tree.h"

namespace veldmark {
namespace {

struct State {
  LinkState links;
  std::vector<Bush> bushes;
};

// Every zone's bush: its shortest-path tree at free flow carrying 20 + z
// trips to every other zone, then grown once at the loaded costs.
State plantedBushes(const RoadNetwork& network, const ZoneSet& zones, const CostModel& model) {
  State state;
  const std::size_t n = static_cast<std::size_t>(network.linkCount());
  state.links.volume.assign(n, 0.0);
  state.links.cost.assign(n, 0.0);
  state.links.derivative.assign(n, 0.0);
  for (int a = 0; a < network.linkCount(); ++a) setLinkVolume(model, state.links, a, 0.0);
  const std::vector<double> freeFlow = state.links.cost;
  std::vector<double> volume(n, 0.0);
  TreeScratch tree;
  BushBuild build;
  std::vector<std::int32_t> predecessor(static_cast<std::size_t>(network.nodeCount()));
  for (int z = 0; z < zones.zoneCount(); ++z) {
    const int origin = zones.zoneNode[z];
    shortestPathTree(network, zones, origin, freeFlow.data(), predecessor.data(), tree);
    std::vector<double> flow(n, 0.0);
    for (int d = 0; d < zones.zoneCount(); ++d) {
      for (int j = zones.zoneNode[d]; j != origin && predecessor[j] >= 0;) {
        flow[predecessor[j]] += 20.0 + z;
        j = network.from[predecessor[j]];
      }
    }
    build.links.clear();
    build.flows.clear();
    for (int j = 0; j < network.nodeCount(); ++j) {
      if (predecessor[j] < 0) continue;
      build.links.push_back(predecessor[j]);
      build.flows.push_back(flow[predecessor[j]]);
      volume[predecessor[j]] += flow[predecessor[j]];
    }
    state.bushes.emplace_back();
    makeBush(network, origin, build, state.bushes.back());
  }
  for (int a = 0; a < network.linkCount(); ++a) setLinkVolume(model, state.links, a, volume[a]);
  BushLabels labels;
  for (Bush& bush : state.bushes)
    growBush(network, zones, state.links.cost.data(), bush, labels, build);
  return state;
}

// The twin: bush o labelled at a copy of the costs from before bush o - 1 shifted.
void straightforwardPass(const CostModel& model, State& state) {
  std::vector<double> previous = state.links.cost;
  BushLabels labels;
  for (Bush& bush : state.bushes) {
    const std::vector<double> now = state.links.cost;
    labelBush(bush, previous.data(), labels);
    shiftLabelledBush(model, state.links, bush, labels, nullptr);
    previous = now;
  }
}

TEST(ShiftPass, SameBitsAsItsTwinOnAnyTeam) {
  constexpr int kPasses = 20;
  const RoadNetwork network = testing::randomNetwork(1500, 4500, 11);
  std::vector<NodeId> numbers;
  for (NodeId z = 1; z <= 60; ++z) numbers.push_back(z);
  const ZoneSet zones = testing::makeZones(network, numbers, false);
  const CostModel model = makeCostModel(network, 0.0, 0.0);
  const State planted = plantedBushes(network, zones, model);
  State twin = planted;
  for (int pass = 0; pass < kPasses; ++pass) straightforwardPass(model, twin);
  // The passes moved flow: the twin is not the planted state.
  ASSERT_NE(twin.links.volume, planted.links.volume);
  for (const int members : {1, 2, 3}) {
    ThreadTeam team(members, 1);
    for (ThreadTeam* sharing : {static_cast<ThreadTeam*>(nullptr), &team}) {
      State state = planted;
      ShiftPassScratch scratch;
      for (int pass = 0; pass < kPasses; ++pass)
        shiftPass(model, state.links, state.bushes, scratch, sharing);
      EXPECT_EQ(state.links.volume, twin.links.volume) << members;
      EXPECT_EQ(state.links.cost, twin.links.cost) << members;
      for (std::size_t o = 0; o < twin.bushes.size(); ++o) {
        EXPECT_EQ(state.bushes[o].flow, twin.bushes[o].flow) << members << " origin " << o;
      }
    }
  }
}

}  // namespace
}  // namespace veldmark
