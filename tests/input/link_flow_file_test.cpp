#include "input/link_flow_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/link_file.h"
#include "support/test_support.h"

namespace veldmark {
namespace {

using testing::flowFile;
using testing::ScratchDir;

// Abstract links 5->7, 7->5, 3->8, 3->8, 4->6.
AbstractNetwork network() {
  AbstractNetwork net;
  storeAbstractLinks("abs.txt", {{5, 7}, {7, 5}, {3, 8}, {3, 8}, {4, 6}}, net);
  return net;
}

std::vector<double> flows(const AbstractNetwork& net, bool second = false) {
  std::vector<double> values;
  for (const auto& r : net.records)
    values.push_back(second ? r.observedSecondValue : r.observedFlow);
  return values;
}

TEST(ReadLinkFlowFile, SetsMatchingLinksInTurn) {
  ScratchDir dir;
  const std::string body =
      "5 7   10.5 2\r\n7 5 : -0\n\n3 8 -> 1 2   3 4 rest\n9 9\n5 7\t\t\t11\r12x\n4 6 - +6 7";
  AbstractNetwork net = network();
  ASSERT_TRUE(readLinkFlowFile(dir.write("flow.txt", flowFile(body)), net).ok());
  EXPECT_EQ(flows(net), (std::vector<double>{11, 0, 1, 3, 6}));
  EXPECT_EQ(flows(net, true), (std::vector<double>{12, 0, 2, 4, 7}));
}

TEST(ReadLinkFlowFile, ToNodeEndsWhereItsDigitsDo) {
  ScratchDir dir;
  AbstractNetwork net = network();
  const std::string body = "5 7,  714 0\n  7  5,  1234 74\n4 6;;;6 1\n";
  ASSERT_TRUE(readLinkFlowFile(dir.write("flow.txt", flowFile(body)), net).ok());
  EXPECT_EQ(flows(net), (std::vector<double>{714, 1234, 0, 0, 6}));
  EXPECT_EQ(flows(net, true), (std::vector<double>{0, 74, 0, 0, 1}));
}

TEST(ReadLinkFlowFile, ShortFilesLeaveFlowsAtZero) {
  ScratchDir dir;
  for (const std::string& content : {std::string(), std::string("a\nb\n"), flowFile("")}) {
    AbstractNetwork net = network();
    EXPECT_TRUE(readLinkFlowFile(dir.write("flow.txt", content), net).ok());
    EXPECT_EQ(flows(net), std::vector<double>(5, 0.0));
  }
}

TEST(ReadLinkFlowFile, ReportsBadLines) {
  const std::string shortSeparator = ":7: fewer than 3 separator characters before the flow value";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"5 7\t1234.5", shortSeparator},
      {"5 7  1234.5", shortSeparator},
      {"5 7  -3", shortSeparator},
      {"5 7 x.5", shortSeparator},
      {"3 8   1 2 3 4", shortSeparator},
      {"9 9   555\n5 7", ":8: flow value expected"},
      {"5 7   x 1", ":7: flow value expected"},
      {"\n5 7   -0.5", ":8: negative observed flow"},
      {"5 7   nan 1", ":7: observed flow is not a finite number"},
      {"5 7   inf 1", ":7: observed flow is not a finite number"},
      {"x 7   1", ":7: from node expected"},
      {"9 y", ":7: to node expected"},
      {"3 8   1 2", ":7: only 1 of 2 value pairs for the abstract links from 3 to 8"},
      {"5 7   1" + std::string(493, ' '), ":7: flow line longer than 499 bytes"},
      // Numbers are read whole; the second value stays unchecked.
      {"5 7   1,234.5 0", ":7: flow value expected"},
      {"5 7   20abc", ":7: flow value expected"},
      {"5 7   2O", ":7: flow value expected"},
      {"5 7   1e3x 0", ":7: flow value expected"},
      {"3 8   1 2   3x 4", ":7: flow value expected"},
      {"5 7   1e3 2x", ""},
      {"5.0 7   1", ":7: from node expected"},
      // The to-node ends where its digits do; the 3 characters after it are
      // the separator, whatever they are, as long as they take no part of the flow.
      {"5 7,  714 0", ""},
      {"5 7abc   1", ""},
      {"5 7e0   1", shortSeparator},
      {"5 7,  1,5 0", ":7: flow value expected"},
      {"5 -x   1", ":7: to node expected"},
      {"4294967301 7   1", ":7: node number out of range"},
      {"5 -4294967289   1", ":7: node number out of range"},
      {"5 7   1\n" + std::string("5 7 \0 5.0 0", 12),
       ":8: NUL byte (not a text file, or a damaged one)"},
      {"5 7   1" + std::string(492, ' '), ""},
  };
  ScratchDir dir;
  for (const auto& [line, error] : cases) {
    const std::string path = dir.write("flow.txt", flowFile(line + "\n"));
    AbstractNetwork net = network();
    EXPECT_EQ(readLinkFlowFile(path, net).message, error.empty() ? "" : path + error) << line;
  }
  AbstractNetwork net = network();
  EXPECT_EQ(readLinkFlowFile(dir.path(), net).message, dir.path() + ": is a directory");
  EXPECT_EQ(readLinkFlowFile(dir.file("no.txt"), net).message,
            dir.file("no.txt") + ": cannot open: No such file or directory");
}

}  // namespace
}  // namespace veldmark
