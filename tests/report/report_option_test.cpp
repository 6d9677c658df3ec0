// The program with --report, --reference and --summary on siouxfalls and its
// true table (tests/data/tntp-siouxfalls), checked against a computation of its
// own from the two table files.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"

namespace veldmark {
namespace {

using testing::readFile;
using testing::runVeldmark;
using testing::ScratchDir;

std::string data(const std::string& name) {
  return std::string(VELDMARK_SOURCE_DIR "/tests/data/tntp-siouxfalls/") + name;
}

std::vector<std::string> siouxfalls(std::vector<std::string> options) {
  for (const char* file : {"base.txt", "abstract.txt", "flows.txt"}) {
    options.push_back(data(std::string("veldmark/") + file));
  }
  options.push_back("trips.txt");
  return options;
}

// The pairs of a file of "Origin" blocks of "d : v;" entries (both the trip
// table file and the TNTP trip table are written so).
std::map<std::pair<int, int>, double> originBlocks(const std::string& text) {
  std::string spaced;
  for (char c : text) {
    spaced += (c == ';' || c == ':') ? std::string(" ") + c + " " : std::string(1, c);
  }
  std::istringstream in(spaced);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  std::map<std::pair<int, int>, double> pairs;
  int origin = -1;
  for (std::size_t k = 0; k + 1 < words.size(); ++k) {
    if (words[k] == "Origin") {
      origin = std::stoi(words[++k]);
    } else if (origin >= 0 && k + 3 < words.size() && words[k + 1] == ":" && words[k + 3] == ";") {
      pairs[{origin, std::stoi(words[k])}] = std::stod(words[k + 2]);
      k += 3;
    }
  }
  return pairs;
}

TEST(ReportOption, SiouxFallsWithItsTrueTableAgreesWithAComputationFromBothFiles) {
  ScratchDir dir;
  const testing::RunResult plain = runVeldmark(siouxfalls({}), dir.path());
  const testing::RunResult run =
      runVeldmark(siouxfalls({"--report", "r.html", "--summary=s.json", "--reference",
                              data("SiouxFalls_trips.tntp")}),
                  dir.path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(testing::maskClock(run.out), testing::maskClock(plain.out));
  EXPECT_EQ(testing::withoutWarnings(run.err), "");
  const auto estimate = originBlocks(readFile(dir.file("trips.txt")));
  const auto reference = originBlocks(readFile(data("SiouxFalls_trips.tntp")));
  ASSERT_EQ(estimate.size(), 576u);
  ASSERT_EQ(reference.size(), 576u);
  double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
  for (const auto& [pair, x] : estimate) {
    const double y = reference.at(pair);
    sx += x, sy += y, sxx += x * x, syy += y * y, sxy += x * y;
  }
  const double n = 576;
  const double r = (n * sxy - sx * sy) / std::sqrt((n * sxx - sx * sx) * (n * syy - sy * sy));
  const nlohmann::json summary = nlohmann::json::parse(readFile(dir.file("s.json")));
  const nlohmann::json& compared = summary.at("reference");
  EXPECT_EQ(compared.at("reference_total").get<double>(), 360600.0);
  EXPECT_EQ(compared.at("reference_total"), compared.at("cells").at("reference_total"));
  EXPECT_NEAR(compared.at("estimate_total").get<double>(), sx, 576 * 0.05);  // file: 0.1 digits
  EXPECT_NEAR(compared.at("cells").at("r_squared").get<double>(), r * r, 1e-6);
  EXPECT_EQ(compared.at("cells").at("count"), 576);
  EXPECT_EQ(compared.at("zones_missing_from_reference").size(), 0u);
  const std::string html = readFile(dir.file("r.html"));
  EXPECT_NE(html.find("<section id=\"comparison\">"), std::string::npos);
  EXPECT_NE(html.find("estimated a table of 24 zones from the observed flows on 76"),
            std::string::npos);
}

TEST(ReportOption, ReferenceWithMissingZonesWarnsNamingThem) {
  ScratchDir dir;
  dir.write("ref.csv", "o_zone_id,d_zone_id,volume\n1,2,100\n2,1,50\n99,1,7\n");
  const testing::RunResult run = runVeldmark(
      siouxfalls({"--summary", "s.json", "--reference", "ref.csv", "--report", "r.html"}),
      dir.path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("veldmark: warning: ref.csv: 22 zones of the estimate are not in the "
                         "reference (cells counted as 0): 3 4 5"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("veldmark: warning: ref.csv: 1 zones of the reference are not in the "
                         "estimate (left out of the comparison): 99\n"),
            std::string::npos);
  const nlohmann::json summary = nlohmann::json::parse(readFile(dir.file("s.json")));
  EXPECT_EQ(summary["reference"]["reference_total"], 157.0);
  EXPECT_EQ(summary["reference"]["cells"]["reference_total"], 150.0);
  EXPECT_EQ(summary["reference"]["zones_missing_from_estimate"], nlohmann::json::array({99}));
  // The lists are bounded as in the warning: the count, then the first 20.
  EXPECT_EQ(summary["reference"]["zones_missing_from_reference"].size(), 20u);
  EXPECT_EQ(summary["reference"]["zones_missing_from_reference_count"], 22);
  EXPECT_NE(readFile(dir.file("r.html"))
                .find(": 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 "
                      "and 2 more."),
            std::string::npos);
  EXPECT_NE(summary["warnings"].dump().find("zones of the reference are not in the estimate"),
            std::string::npos);
}

TEST(ReportOption, UnreadableReferenceStopsTheRunAndUnwritableReportFailsIt) {
  ScratchDir dir;
  const testing::RunResult missing =
      runVeldmark(siouxfalls({"--reference", "nosuch.tntp"}), dir.path());
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err.rfind("veldmark: nosuch.tntp", 0), 0u) << missing.err;
  EXPECT_EQ(missing.out.find("Iteration"), std::string::npos);  // stopped with the inputs
  EXPECT_EQ(readFile(dir.file("trips.txt")), "");
  const testing::RunResult unwritable =
      runVeldmark(siouxfalls({"--report", "nodir/r.html"}), dir.path());
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_NE(unwritable.err.find("veldmark: nodir/r.html: "), std::string::npos);
  EXPECT_NE(readFile(dir.file("trips.txt")), "");  // the table is written all the same
}

}  // namespace
}  // namespace veldmark
