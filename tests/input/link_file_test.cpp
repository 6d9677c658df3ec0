#include "input/link_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "estimation/linearised/limits.h"
#include "support/test_support.h"

namespace veldmark {
namespace {

using testing::linkFile;
using testing::ScratchDir;

std::string lineOf(std::size_t length) {
  return std::string(length, 'x');
}

// "1 2" padded with blanks to `length` characters.
std::string linkOf(std::size_t length) {
  return "1 2" + std::string(length - 3, ' ');
}

TEST(ReadLinkFile, ReadsFieldsWithMovingPosition) {
  ScratchDir dir;
  const std::string body = std::string("1 2 1.5 -2 3e2 x 5\n\n \t \r\n") +
                           "007 2147483647 9 9 9 9 9 9 9 9 trailing\r\n" + "-2147483648\t3\n" +
                           "5 6\r7";  // a CR inside the line ends a number; no newline
  std::vector<LinkLine> links;
  ASSERT_TRUE(readLinkFile(dir.write("net.txt", linkFile(body)), links, kMaxLinks).ok());
  ASSERT_EQ(links.size(), 4u);
  const double first[kAttributeCount] = {1.5, -2, 300, 0, 0, 0, 0, 0};
  EXPECT_TRUE(std::equal(first, first + kAttributeCount, links[0].attributes));
  EXPECT_EQ(links[1].from, 7);
  EXPECT_EQ(links[1].to, INT32_MAX);
  EXPECT_EQ(links[1].attributes[7], 9.0);
  EXPECT_EQ(links[2].from, INT32_MIN);
  EXPECT_EQ(links[2].to, 3);
  EXPECT_EQ(links[3].to, 6);
  EXPECT_EQ(links[3].attributes[0], 7.0);
  std::vector<int> lineNumbers;
  for (const LinkLine& link : links) lineNumbers.push_back(link.lineNumber);
  EXPECT_EQ(lineNumbers, (std::vector<int>{9, 12, 13, 14}));
}

TEST(ReadLinkFile, LineLimitsAreExact) {
  struct Case {
    std::string file, error;
  };
  const std::string meta = "m\nm\nm\nm\nm\nm\n", header = "header\n";
  const std::vector<Case> cases = {
      {lineOf(49) + "\n" + meta + header + linkOf(499) + "\n", ""},
      {lineOf(49) + "\r\n" + meta + lineOf(199) + "\r\n" + linkOf(499) + "\r\n", ""},
      {lineOf(50) + "\n" + meta + header + "1 2\n", ":1: metadata line longer than 49 bytes"},
      {meta + "m\n" + lineOf(200) + "\n1 2\n", ":8: header line longer than 199 bytes"},
      {meta + "m\n" + header + linkOf(500) + "\n", ":9: link line longer than 499 bytes"},
      {meta + "m\n" + header + linkOf(499) + "\r\r\n", ":9: link line longer than 499 bytes"},
      {"m\rm\rm\rm\rm\rm\rm\rheader\r1 2\r2 1\r" + lineOf(40) + "\r",
       ":1: lines end with a CR alone; convert the line ends to LF"},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    const std::string path = dir.write("net.txt", c.file);
    std::vector<LinkLine> links;
    const Status status = readLinkFile(path, links, kMaxLinks);
    EXPECT_EQ(status.message, c.error.empty() ? "" : path + c.error) << c.file.size();
    EXPECT_LE(links.size(), 1u);
  }
}

TEST(ReadLinkFile, ReportsBadFiles) {
  ScratchDir dir;
  std::string tooMany;
  for (int i = 0; i <= kMaxLinks; ++i) tooMany += "1 2\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", ": no link lines (they start at line 9)"},
      {"a\nb\nc\n", ": no link lines (they start at line 9)"},
      {linkFile("\n  \r\n"), ": no link lines (they start at line 9)"},
      {linkFile("1 2\n\n x 2\n"), ":11: from node expected"},
      {linkFile("1 +\n"), ":9: to node expected"},
      // Node numbers are read whole and within 32 bits; NUL bytes are refused.
      {linkFile("1,5 2\n"), ":9: from node expected"},
      {linkFile("2O 3\n"), ":9: from node expected"},
      {linkFile("1 2abc 0\n"), ":9: to node expected"},
      {linkFile("1 1e3\n"), ":9: to node expected"},
      {linkFile("1 2;3\n"), ":9: to node expected"},
      {linkFile("1 2\n2147483648 1\n"), ":10: node number out of range"},
      {linkFile("1 -2147483649\n"), ":9: node number out of range"},
      {linkFile("1 99999999999999999999999\n"), ":9: node number out of range"},
      {linkFile("1 2\n" + std::string(30, '\0') + "\n2 1\n"),
       ":10: NUL byte (not a text file, or a damaged one)"},
      {linkFile(std::string("1 2 5\0 x\n", 9)), ":9: NUL byte (not a text file, or a damaged one)"},
      {std::string("m\0\n", 3), ":1: NUL byte (not a text file, or a damaged one)"},
      {linkFile(tooMany), ":5009: more than 5000 link lines"},
  };
  for (const auto& [content, error] : cases) {
    const std::string path = dir.write("net.txt", content);
    std::vector<LinkLine> links;
    EXPECT_EQ(readLinkFile(path, links, kMaxLinks).message, path + error);
    EXPECT_LE(links.size(), static_cast<std::size_t>(kMaxLinks));
  }
  std::vector<LinkLine> links;
  tooMany.resize(tooMany.size() - 4);
  EXPECT_TRUE(readLinkFile(dir.write("net.txt", linkFile(tooMany)), links, kMaxLinks).ok());
  EXPECT_EQ(readLinkFile(dir.file("none.txt"), links, kMaxLinks).message,
            dir.file("none.txt") + ": cannot open: No such file or directory");
  EXPECT_EQ(readLinkFile(dir.path(), links, kMaxLinks).message, dir.path() + ": is a directory");
}

}  // namespace
}  // namespace veldmark
