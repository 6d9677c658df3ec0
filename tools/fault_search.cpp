// The fault search: tries random tiny networks for a number of seconds and
// prints, for each awkward path of the estimation (tests/reliability/
// fault_paths.h), the first network found to take it, minimised. Its finds
// become the cases of tests/driver/fault_networks_test.cpp.
//
//   veldmark_fault_search SECONDS [SEED]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "reliability/fault_paths.h"
#include "support/test_support.h"

namespace veldmark::testing {
namespace {

// A network as the search handles it: link endpoints and one flow per link.
struct Candidate {
  std::vector<std::pair<int, int>> ends;
  std::vector<std::string> flows;

  // The abstract link lines, and one flow line per distinct ordered pair
  // listing the flows of all its links in link order.
  TinyNetwork text() const {
    TinyNetwork tiny;
    std::vector<char> written(ends.size(), 0);
    for (std::size_t v = 0; v < ends.size(); ++v) {
      tiny.links += std::to_string(ends[v].first) + " " + std::to_string(ends[v].second) + "\n";
      if (written[v]) continue;
      std::string line = std::to_string(ends[v].first) + " " + std::to_string(ends[v].second);
      for (std::size_t w = v; w < ends.size(); ++w) {
        if (ends[w] != ends[v]) continue;
        written[w] = 1;
        line += "   " + flows[w] + " 0";
      }
      tiny.flows += line + "\n";
    }
    return tiny;
  }
};

// A random network of 2 to 6 zones and 2 to 12 links, self-links included,
// with flows spread over many magnitudes; one link in four repeats the ends
// of an earlier one (parallel links lead to the rarest paths).
Candidate randomCandidate(std::mt19937& random) {
  static const char* const kFlows[] = {"0",  "0.001", "0.3",   "1",     "2",    "7",
                                       "50", "1000",  "1e+06", "1e+09", "1e+12"};
  const int zones = 2 + static_cast<int>(random() % 5);
  const int links = 2 + static_cast<int>(random() % 11);
  Candidate candidate;
  for (int v = 0; v < links; ++v) {
    if (v > 0 && random() % 4 == 0) {
      candidate.ends.push_back(candidate.ends[random() % v]);
    } else {
      candidate.ends.push_back(
          {1 + static_cast<int>(random() % zones), 1 + static_cast<int>(random() % zones)});
    }
    candidate.flows.push_back(kFlows[random() % std::size(kFlows)]);
  }
  return candidate;
}

constexpr int kPaths = 7;
const char* const kPathNames[kPaths] = {"inverse check fails",
                                        "negative cycle",
                                        "unjoined pair priced",
                                        "unbounded ratio test",
                                        "no leaving position",
                                        "singular basis",
                                        "pass cap"};

// How often each path was taken; all zero when the network does not read.
std::vector<int> pathCounts(const ScratchDir& dir, const Candidate& candidate) {
  AbstractNetwork network;
  if (!readTinyNetwork(dir, candidate.text(), network)) return std::vector<int>(kPaths, 0);
  const FaultPaths seen = estimateAndCount(network);
  return {seen.failedChecks,
          seen.negativeCycleFloors,
          seen.unjoinedPairPriced,
          seen.unboundedRatioTests,
          seen.noLeavingPosition,
          seen.singularBases,
          seen.passCaps};
}

// Drops links and sets flows to 1 while the network still takes `path`.
Candidate minimise(const ScratchDir& dir, Candidate candidate, int path) {
  for (bool changed = true; changed;) {
    changed = false;
    for (std::size_t v = 0; v < candidate.ends.size(); ++v) {
      Candidate smaller = candidate;
      smaller.ends.erase(smaller.ends.begin() + static_cast<long>(v));
      smaller.flows.erase(smaller.flows.begin() + static_cast<long>(v));
      if (!smaller.ends.empty() && pathCounts(dir, smaller)[path] > 0) {
        candidate = smaller;
        changed = true;
        --v;
      }
    }
    for (std::string& flow : candidate.flows) {
      if (flow == "1") continue;
      const std::string kept = flow;
      flow = "1";
      if (pathCounts(dir, candidate)[path] > 0) {
        changed = true;
      } else {
        flow = kept;
      }
    }
  }
  return candidate;
}

int search(int seconds, unsigned seed) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  std::mt19937 random(seed);
  std::vector<char> found(kPaths, 0);
  long tried = 0;
  ScratchDir dir;
  while (std::chrono::steady_clock::now() < end) {
    const Candidate candidate = randomCandidate(random);
    const std::vector<int> counts = pathCounts(dir, candidate);
    ++tried;
    for (int p = 0; p < kPaths; ++p) {
      if (counts[p] == 0 || found[p]) continue;
      found[p] = 1;
      const TinyNetwork tiny = minimise(dir, candidate, p).text();
      std::printf("--- %s, after %ld networks\nlinks:\n%sflows:\n%s", kPathNames[p], tried,
                  tiny.links.c_str(), tiny.flows.c_str());
      std::fflush(stdout);
    }
  }
  std::printf("searched %ld networks (seed %u)\n", tried, seed);
  for (int p = 0; p < kPaths; ++p) {
    if (!found[p]) std::printf("--- %s: not found\n", kPathNames[p]);
  }
  return 0;
}

}  // namespace
}  // namespace veldmark::testing

int main(int argc, char** argv) {
  if (argc < 2 || std::atoi(argv[1]) <= 0) {
    std::fprintf(stderr, "usage: veldmark_fault_search SECONDS [SEED]\n");
    return 2;
  }
  const unsigned seed =
      argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : std::random_device{}();
  return veldmark::testing::search(std::atoi(argv[1]), seed);
}
