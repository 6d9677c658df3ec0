// Every message the programs can print is documented: veldmark's in
// docs/GUIDE.md and in README.md, veldmark-convert's (src/convert and
// src/formats) and veldmark-assign's (src/assign, src/assignment and
// src/network) in docs/GUIDE.md and their manual pages. The messages are
// collected from the sources as patterns in which a '*' stands for one or
// more characters computed at run time (paths, numbers, system error texts;
// written FILE, LINE, ... in the documents).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>

#include "support/test_support.h"

namespace veldmark {
namespace {

// Each expression in the sources under `src` that builds a message
// (Status{...}, lineError(reader, ...), tntpLineError(path, line, ...),
// .message = ..., Warning{...}, up to the ';' that ends it), in the folders
// `program` says (see programOf), gives
// its string literals in order, with a '*' wherever a '+' joins code to them.
// A literal holding "missing..." (the driver's console texts) is a pattern of
// its own.
enum class Program { kVeldmark, kConvert, kAssign };

// The program whose messages the source folder `folder` holds.
Program programOf(const std::string& folder) {
  if (folder == "convert" || folder == "formats") return Program::kConvert;
  if (folder == "assign" || folder == "assignment" || folder == "network") return Program::kAssign;
  return Program::kVeldmark;
}

std::set<std::string> messagePatterns(Program program) {
  std::set<std::string> patterns;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(VELDMARK_SOURCE_DIR "/src")) {
    if (!entry.is_regular_file()) continue;
    const std::string folder = entry.path().parent_path().filename();
    if (programOf(folder) != program) continue;
    const std::string code = testing::readFile(entry.path());
    std::string pattern;
    bool inMessage = false, joined = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
      // A comment or literal left open at the end of the file ends the scan.
      if (code.compare(i, 2, "//") == 0) {
        i = std::min(code.find('\n', i), code.size());
      } else if (code.compare(i, 2, "/*") == 0) {
        i = std::min(code.find("*/", i + 2), code.size()) + 1;
      } else if (code[i] == '\'') {
        i += i + 1 < code.size() && code[i + 1] == '\\' ? 3 : 2;
      } else if (code[i] == '"') {
        std::string text;
        for (++i; i < code.size() && code[i] != '"'; ++i) {
          if (code[i] != '\\' || i + 1 == code.size()) {
            text += code[i];
          } else {
            ++i;
            text += code[i] == 'n' ? '\n' : code[i] == 't' ? '\t' : code[i];
          }
        }
        if (text.find("missing...") != std::string::npos) patterns.insert(text);
        if (inMessage) pattern += (joined ? "*" : "") + text;
        joined = false;
      } else if (inMessage && code[i] == '+') {
        joined = true;
      } else if (inMessage && code[i] == ';') {
        if (!pattern.empty()) patterns.insert(pattern + (joined ? "*" : ""));
        inMessage = false;
      } else if (!inMessage) {
        for (const char* start :
             {"Status{", "lineError(", "LineError(", ".message =", "Warning{"}) {
          if (code.compare(i, std::strlen(start), start) == 0) {
            inMessage = true;
            joined = false;
            pattern.clear();
          }
        }
      }
    }
  }
  return patterns;
}

// True when `line` holds the pieces of `pattern` in order, at least one
// character wherever the pattern has a '*'. The leftmost place for every
// piece leaves the most room for the pieces after it.
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
    if (star == std::string::npos) return !gap || from < line.size();
    gap = true;
    piece = star + 1;
  }
}

// Expects every pattern on some line of each document; in a manual page "\-"
// counts as "-".
void expectDocumented(const std::set<std::string>& patterns,
                      std::initializer_list<const char*> documents) {
  for (const char* document : documents) {
    std::string content = testing::readFile(std::string(VELDMARK_SOURCE_DIR "/") + document);
    for (std::size_t at = content.find("\\-"); at != std::string::npos;
         at = content.find("\\-", at)) {
      content.erase(at, 1);
    }
    std::istringstream text(content);
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    ASSERT_FALSE(lines.empty()) << document;
    for (const std::string& pattern : patterns) {
      EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                              [&](const std::string& line) { return matches(line, pattern); }))
          << document << " does not document the message \"" << pattern << "\"";
    }
  }
}

TEST(Messages, EveryMessageInTheSourcesIsInTheGuideAndTheReadme) {
  const std::set<std::string> patterns = messagePatterns(Program::kVeldmark);
  EXPECT_GE(patterns.size(), 15u);  // the collection itself works
  for (const char* known :
       {"*: cannot open: *", "negative observed flow", "argument(s) missing...",
        "* line longer than * bytes",
        "cannot allocate the estimation workspace for * zones and * links (* MiB)"}) {
    EXPECT_EQ(patterns.count(known), 1u) << known;
  }
  EXPECT_FALSE(matches("x: cannot open: ", "*: cannot open: *"));
  expectDocumented(patterns, {"docs/GUIDE.md", "README.md"});
  const std::set<std::string> converter = messagePatterns(Program::kConvert);
  EXPECT_EQ(converter.count("*:*: no * value"), 1u);
  EXPECT_EQ(converter.count("column * is not a number"), 1u);
  expectDocumented(converter, {"docs/GUIDE.md", "docs/veldmark-convert.1"});
  const std::set<std::string> assign = messagePatterns(Program::kAssign);
  EXPECT_EQ(assign.count("the link joins node * to itself"), 1u);
  expectDocumented(assign, {"docs/GUIDE.md", "docs/veldmark-assign.1"});
}

}  // namespace
}  // namespace veldmark
