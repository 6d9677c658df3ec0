#include "input/node_list.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "estimation/linearised/limits.h"

namespace veldmark {
namespace {

// Links from (from, to) pairs, on lines 9, 10, ...
std::vector<LinkLine> linksOf(const std::vector<std::pair<NodeId, NodeId>>& ends) {
  std::vector<LinkLine> links;
  for (const auto& [from, to] : ends) {
    links.push_back(LinkLine{from, to, {}, 9 + static_cast<int>(links.size())});
  }
  return links;
}

TEST(BuildNodeList, FromNodesFirstThenToOnlyNodes) {
  const std::vector<std::pair<std::vector<std::pair<NodeId, NodeId>>, std::vector<NodeId>>> cases =
      {
          {{{5, 7}, {7, 5}, {3, 7}}, {5, 7, 3}},
          {{{1, 2}, {3, 4}}, {1, 3, 2, 4}},
          {{{4, 4}, {4, 4}, {2, 4}, {9, 9}}, {4, 2, 9}},
      };
  for (const auto& [ends, expected] : cases) {
    std::vector<NodeId> nodes = {99};
    ASSERT_TRUE(buildNodeList("net.txt", linksOf(ends), nodes, kMaxNodes).ok());
    EXPECT_EQ(nodes, expected);
  }
}

TEST(BuildNodeList, HoldsAtMostMaxNodes) {
  std::vector<std::pair<NodeId, NodeId>> ends;
  for (int i = 1; i <= kMaxNodes / 2; ++i) ends.push_back({i, kMaxNodes / 2 + i});
  std::vector<NodeId> nodes;
  ASSERT_TRUE(buildNodeList("net.txt", linksOf(ends), nodes, kMaxNodes).ok());
  EXPECT_EQ(nodes.size(), 1000u);
  ends.push_back({1, 5000});  // line 509: its to-node is the 1001st
  ends.push_back({2, 3});
  EXPECT_EQ(buildNodeList("net.txt", linksOf(ends), nodes, kMaxNodes).message,
            "net.txt:509: more than 1000 distinct nodes");
  EXPECT_EQ(nodes.size(), 1000u);
}

}  // namespace
}  // namespace veldmark
