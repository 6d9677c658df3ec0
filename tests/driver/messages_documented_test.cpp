// Every message the program can print is documented. The message texts are
// collected from the sources (the expressions that build a Status, the
// `what` of lineError, assignments to a status message, and the driver's
// "missing..." console texts); each becomes a pattern in which the parts
// computed at run time (paths, numbers, system error texts) are a '*' that
// stands for one or more characters, and that pattern must match a line of
// docs/GUIDE.md and of README.md (where they are written FILE, LINE, ...).
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace veldmark {
namespace {

namespace fs = std::filesystem;
using testing::readFile;

// Skips the string or character literal that starts at `i`; returns the
// position after it.
std::size_t skipLiteral(const std::string& code, std::size_t i) {
  const char quote = code[i];
  for (++i; i < code.size() && code[i] != quote; ++i) {
    if (code[i] == '\\') ++i;
  }
  return i + 1;
}

// The code with its comments replaced by blanks; literals are kept.
std::string withoutComments(const std::string& code) {
  std::string out = code;
  std::size_t i = 0;
  while (i < out.size()) {
    if (out[i] == '"' || out[i] == '\'') {
      i = skipLiteral(out, i);
    } else if (out.compare(i, 2, "//") == 0) {
      for (; i < out.size() && out[i] != '\n'; ++i) out[i] = ' ';
    } else if (out.compare(i, 2, "/*") == 0) {
      const std::size_t end = std::min(out.find("*/", i + 2), out.size() - 2) + 2;
      for (; i < end; ++i) out[i] = out[i] == '\n' ? '\n' : ' ';
    } else {
      ++i;
    }
  }
  return out;
}

// The text from `begin` up to the first of `stops` outside brackets and
// literals (or up to the bracket that closes the expression).
std::string expressionFrom(const std::string& code, std::size_t begin, const std::string& stops) {
  int depth = 0;
  for (std::size_t i = begin; i < code.size();) {
    const char c = code[i];
    if (c == '"' || c == '\'') {
      i = skipLiteral(code, i);
      continue;
    }
    if (depth == 0 && stops.find(c) != std::string::npos) return code.substr(begin, i - begin);
    if (c == '(' || c == '[' || c == '{') ++depth;
    if (c == ')' || c == ']' || c == '}') {
      if (depth == 0) return code.substr(begin, i - begin);
      --depth;
    }
    ++i;
  }
  return code.substr(begin);
}

std::string unescape(const std::string& literal) {
  std::string text;
  for (std::size_t i = 0; i < literal.size(); ++i) {
    if (literal[i] == '\\' && i + 1 < literal.size()) {
      const char c = literal[++i];
      text += c == 'n' ? '\n' : c == 't' ? '\t' : c;
    } else {
      text += literal[i];
    }
  }
  return text;
}

// The pattern of a message expression: its literals (adjacent ones joined)
// in order, anything else a '*'. Returns "" when the expression holds no
// literal.
std::string patternOf(const std::string& expression) {
  std::string pattern;
  bool anyLiteral = false, pendingCode = false;
  for (std::size_t i = 0; i < expression.size();) {
    const char c = expression[i];
    if (c == '"') {
      const std::size_t end = skipLiteral(expression, i);
      if (pendingCode) pattern += '*';
      pendingCode = false;
      anyLiteral = true;
      pattern += unescape(expression.substr(i + 1, end - i - 2));
      i = end;
    } else {
      if (!std::isspace(static_cast<unsigned char>(c))) pendingCode = true;
      ++i;
    }
  }
  if (!anyLiteral) return "";
  if (pendingCode) pattern += '*';
  return pattern;
}

// True when `line` holds the literal pieces of `pattern` in order, with at
// least one character wherever the pattern has a '*'. Taking the leftmost
// place for every piece leaves the most room for the pieces after it.
bool matches(const std::string& line, const std::string& pattern) {
  std::size_t from = 0;  // where the next piece may start, before a gap
  bool gap = false;      // a '*' since the last piece
  for (std::size_t piece = 0;;) {
    const std::size_t star = pattern.find('*', piece);
    const std::string text = pattern.substr(piece, star - piece);
    if (!text.empty()) {
      const std::size_t at = line.find(text, from + (gap ? 1 : 0));
      if (at == std::string::npos) return false;
      from = at + text.size();
      gap = false;
    }
    if (star == std::string::npos) break;
    gap = true;
    piece = star + 1;
  }
  return !gap || from < line.size();
}

// Every message pattern in the sources under src/.
std::set<std::string> messagePatterns() {
  std::set<std::string> patterns;
  for (const auto& entry : fs::recursive_directory_iterator(VELDMARK_SOURCE_DIR "/src")) {
    const std::string name = entry.path().string();
    if (!entry.is_regular_file() || !(name.ends_with(".cpp") || name.ends_with(".h"))) continue;
    const std::string code = withoutComments(readFile(name));
    const auto add = [&](const std::string& expression) {
      if (const std::string pattern = patternOf(expression); !pattern.empty()) {
        patterns.insert(pattern);
      }
    };
    for (std::size_t at = code.find("Status{"); at != std::string::npos;
         at = code.find("Status{", at + 1)) {
      add(expressionFrom(code, at + 7, ""));
    }
    for (std::size_t at = code.find("lineError("); at != std::string::npos;
         at = code.find("lineError(", at + 1)) {
      const std::string reader = expressionFrom(code, at + 10, ",");
      add(expressionFrom(code, at + 10 + reader.size() + 1, ","));
    }
    for (std::size_t at = code.find(".message ="); at != std::string::npos;
         at = code.find(".message =", at + 1)) {
      add(expressionFrom(code, at + 10, ";"));
    }
    for (std::size_t at = code.find('"'); at != std::string::npos;) {
      const std::size_t end = skipLiteral(code, at);
      const std::string literal = code.substr(at, end - at);
      if (literal.find("missing...") != std::string::npos) add(literal);
      at = code.find('"', end);
    }
  }
  return patterns;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(Messages, CollectedFromTheSources) {
  const std::set<std::string> patterns = messagePatterns();
  EXPECT_GE(patterns.size(), 15u);
  for (const char* known :
       {"*: cannot open: *", "negative observed flow", "argument(s) missing...",
        "* line longer than * characters",
        "cannot allocate the estimation workspace for * zones and * links (* MiB)"}) {
    EXPECT_EQ(patterns.count(known), 1u) << known;
  }
}

TEST(Messages, PatternsMatchWithAtLeastOneCharacterPerGap) {
  EXPECT_TRUE(matches("| `veldmark: FILE: cannot open: REASON` |", "*: cannot open: *"));
  EXPECT_FALSE(matches(": cannot open: REASON", "*: cannot open: *"));
  EXPECT_FALSE(matches("x: cannot open: ", "*: cannot open: *"));
  EXPECT_TRUE(matches("a b a c", "a*c"));
  EXPECT_FALSE(matches("ac", "a*c"));
  EXPECT_FALSE(matches("c then a", "a*c"));
}

TEST(Messages, EveryMessageIsInTheGuideAndTheReadme) {
  const std::set<std::string> patterns = messagePatterns();
  for (const char* document : {"docs/GUIDE.md", "README.md"}) {
    const std::vector<std::string> lines =
        linesOf(readFile(std::string(VELDMARK_SOURCE_DIR "/") + document));
    ASSERT_FALSE(lines.empty()) << document;
    for (const std::string& pattern : patterns) {
      const bool found = std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return matches(line, pattern);
      });
      EXPECT_TRUE(found) << document << " does not document the message \"" << pattern << "\"";
    }
  }
}

}  // namespace
}  // namespace veldmark
