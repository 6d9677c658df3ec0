// The road network reader: nodes, links and forward star from a link file;
// each attribute the cost needs refused in one line naming file and line;
// zones from a range or a file.
#include <gtest/gtest.h>

#include "network/road_network_file.h"
#include "network/zone_set.h"
#include "support/test_support.h"

namespace veldmark {
namespace {

using testing::linkFile;
using testing::ScratchDir;

TEST(RoadNetwork, ReadsNodesLinksAndForwardStar) {
  ScratchDir dir;
  const std::string path = dir.write("base.txt", linkFile("7 3 100 2 1.5 0.15 4 0 25 1\n"
                                                          "3 7 100 2 1.5 0.15 4\n"
                                                          "\n"
                                                          "7 9 0 1 2 0 0 0 0 0\n"));
  RoadNetwork network;
  ASSERT_TRUE(readRoadNetwork(path, network).ok());
  ASSERT_EQ(network.nodeCount(), 3);
  EXPECT_EQ(network.nodeNumbers, (std::vector<NodeId>{7, 3, 9}));
  EXPECT_EQ(findNode(network, 9), 2);
  EXPECT_EQ(findNode(network, 8), -1);
  ASSERT_EQ(network.linkCount(), 3);
  EXPECT_EQ(network.lineNumbers, (std::vector<int>{9, 10, 12}));
  EXPECT_EQ(network.capacity[0], 100.0);
  EXPECT_EQ(network.freeFlowTime[1], 1.5);
  EXPECT_EQ(network.toll[0], 25.0);
  EXPECT_EQ(network.toll[1], 0.0);      // attributes 6 to 8 may be missing
  EXPECT_EQ(network.capacity[2], 0.0);  // capacity 0 is allowed on a flat link
  // Node 7 (index 0) leaves by links 0 and 2, in file order; node 3 by link 1.
  EXPECT_EQ(network.firstOut, (std::vector<std::int32_t>{0, 2, 3, 3}));
  EXPECT_EQ(network.outLinks, (std::vector<std::int32_t>{0, 2, 1}));
  std::vector<std::int32_t> heads;  // each slot's head, as the trees read it
  for (const std::int32_t a : network.outLinks) heads.push_back(network.to[a]);
  EXPECT_EQ(network.outHead, heads);
}

TEST(RoadNetwork, RefusesWhatTheCostCannotUseInOneLine) {
  const struct {
    const char* line;
    const char* message;
  } cases[] = {
      {"1 2 100 2 1.5 0.15\n", "attribute 5 (power) missing"},
      {"1 2 100 2 nan 0.15 4\n", "attribute 3 (free-flow time) is not finite"},
      {"1 2 100 2 inf 0.15 4\n", "attribute 3 (free-flow time) is not finite"},
      {"1 2 100 -2 1 0.15 4\n", "attribute 2 (length) is negative"},
      {"1 2 100 2 1 0.15 4 0 -1\n", "attribute 7 (toll) is negative"},
      {"1 2 100 2 1 0.15 4 0 x\n", "attribute 7 (toll) is not a number"},
      {"1 2 0 2 1 0.15 4\n", "capacity 0 with b above 0 (the cost would be infinite)"},
      {"4 4 100 2 1 0.15 4\n", "the link joins node 4 to itself"},
      {"1 x 100 2 1 0.15 4\n", "to node expected"},
  };
  ScratchDir dir;
  for (const auto& c : cases) {
    const std::string path =
        dir.write("bad.txt", linkFile("1 2 100 2 1 0.15 4\n" + std::string(c.line)));
    RoadNetwork network;
    const Status status = readRoadNetwork(path, network);
    EXPECT_EQ(status.message, path + ":10: " + c.message) << c.line;
  }
  RoadNetwork network;
  EXPECT_EQ(readRoadNetwork(dir.write("empty.txt", linkFile("")), network).message,
            dir.file("empty.txt") + ": no link lines (they start at line 9)");
}

TEST(Zones, FromARangeOrAFile) {
  std::vector<NodeId> numbers;
  ASSERT_TRUE(parseZoneRange("3-5", numbers).ok());
  EXPECT_EQ(numbers, (std::vector<NodeId>{3, 4, 5}));
  for (const char* bad : {"5-3", "3", "a-b", "3-", "-3-4x"}) {
    EXPECT_FALSE(parseZoneRange(bad, numbers).ok()) << bad;
  }
  ScratchDir dir;
  ASSERT_TRUE(readZoneFile(dir.write("z.txt", "# zones\n 9 \n\n3 # a comment\r\n"), numbers).ok());
  EXPECT_EQ(numbers, (std::vector<NodeId>{9, 3}));
  EXPECT_EQ(readZoneFile(dir.write("z.txt", "9\n3 4\n"), numbers).message,
            dir.file("z.txt") + ":2: a node number expected (one zone a line)");
  EXPECT_EQ(readZoneFile(dir.write("z.txt", "# none\n"), numbers).message,
            dir.file("z.txt") + ": no zones");
}

TEST(Zones, MustBeNodesGivenOnce) {
  ScratchDir dir;
  RoadNetwork network;
  ASSERT_TRUE(
      readRoadNetwork(dir.write("b.txt", linkFile("1 2 1 1 1 0 0\n2 3 1 1 1 0 0\n")), network)
          .ok());
  ZoneSet zones;
  ASSERT_TRUE(makeZoneSet(network, {3, 1}, false, "z", zones).ok());
  EXPECT_EQ(zones.zoneNode, (std::vector<std::int32_t>{2, 0}));
  EXPECT_EQ(zones.nodeZone, (std::vector<std::int32_t>{1, -1, 0}));
  EXPECT_EQ(makeZoneSet(network, {1, 4}, false, "z", zones).message,
            "z: zone 4 is not a node of the road network");
  EXPECT_EQ(makeZoneSet(network, {1, 1}, false, "z", zones).message, "z: zone 1 is given twice");
}

}  // namespace
}  // namespace veldmark
