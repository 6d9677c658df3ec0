// The full-size estimation through the built binary: the generated network
// of 1000 zones joined by 5000 abstract links, run once with assigned flows
// (the run completes) and once with flows that no trip table reproduces (the
// first iteration's pivot loop runs up to its 500-pass cap). Each run is
// bounded by SECONDS; the program prints, for each, the time, the peak
// resident memory and the passes of the first iteration, and exits 1 when a
// run failed (an error line; warnings are expected) or its passes did not
// proceed.
//
//   veldmark_capacity_run SECONDS
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "estimation/linearised/limits.h"
#include "input/link_file.h"
#include "input/node_list.h"
#include "reliability/bounded_run.h"
#include "support/test_support.h"
#include "tools/network_generator.h"

namespace veldmark::testing {
namespace {

// The generated full-size network: 1000 zones joined by 5000 abstract links
// (grid links both ways, topped up with parallel links), flows assigned from
// a random trip table; the base network has the same links.
GeneratedNetwork fullSizeNetwork() {
  GeneratorOptions options;
  options.zones = kMaxNodes;
  options.linksPerZone = 5.0;
  options.seed = 7;
  const auto linkLines = [](const std::string& text) {
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines - 8;
  };
  options.parallelLinks = kMaxLinks - linkLines(generateNetwork(options).abstract);
  return generateNetwork(options);
}

// The same flow lines with every flow value replaced by a pseudo-random one
// from 10 to 2000: flows that no trip table reproduces, which keep the pivot
// loop of the first iteration busy up to its cap.
std::string unassignedFlows(const std::string& flows) {
  std::string out;
  unsigned state = 12345;
  std::size_t lineStart = 0;
  for (int line = 1; lineStart < flows.size(); ++line) {
    const std::size_t lineEnd = flows.find('\n', lineStart);
    const std::string text = flows.substr(lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 1;
    if (line <= 6) {
      out += text + "\n";
      continue;
    }
    // "from to   flow second   flow second ...": keep the nodes, redraw the flows.
    std::size_t cut = text.find("   ");
    out += text.substr(0, cut);
    while (cut != std::string::npos) {
      state = state * 1103515245u + 12345u;
      const std::size_t next = text.find("   ", cut + 3);
      out += "   " + std::to_string(10 + (state >> 8) % 1991) + " 0";
      cut = next;
    }
    out += "\n";
  }
  return out;
}

struct CapacityRun {
  BoundedRun run;
  int passes = 0;                    // dots of iteration 1
  bool firstIterationEnded = false;  // its average line was printed
  bool sound = true;                 // at both limits, no message, ended or cut by the bound
};

// True when the abstract file is exactly at both limits.
bool atBothLimits(const std::string& abstractPath) {
  std::vector<LinkLine> links;
  std::vector<NodeId> zones;
  return readLinkFile(abstractPath, links, kMaxLinks).ok() &&
         buildNodeList(abstractPath, links, zones, kMaxNodes).ok() &&
         links.size() == static_cast<std::size_t>(kMaxLinks) &&
         zones.size() == static_cast<std::size_t>(kMaxNodes);
}

CapacityRun runFullSize(const GeneratedNetwork& network, unsigned seconds) {
  ScratchDir dir;
  const std::string abstractPath = dir.write("abstract.txt", network.abstract);
  dir.write("base.txt", network.base);
  dir.write("flows.txt", network.flows);
  CapacityRun result;
  result.sound = atBothLimits(abstractPath);
  result.run =
      runBounded({"base.txt", "abstract.txt", "flows.txt", "trips.txt"}, dir.path(), seconds);
  const std::string& out = result.run.out;
  const std::string lead = "   Pivot move over the linear space ";
  const std::size_t firstLine = out.find(lead);
  const std::size_t dotsStart =
      firstLine == std::string::npos ? out.size() : firstLine + lead.size();
  result.passes =
      static_cast<int>(std::min(out.find_first_not_of('.', dotsStart), out.size()) - dotsStart);
  result.firstIterationEnded = out.find("Average O-D flow difference") != std::string::npos;
  result.sound =
      result.sound && withoutWarnings(result.run.err).empty() &&
      (result.run.exitCode == 0 || result.run.timedOut) &&
      out.find("   Estimate the travel table in the abstract network\n") != std::string::npos;
  std::printf("%s after %.1f s, peak RSS %ld KiB, %d passes in iteration 1 (%s)\n",
              result.run.timedOut ? "stopped by the time bound" : "ended", result.run.wallSeconds,
              result.run.peakRssKib, result.passes,
              result.firstIterationEnded ? "ended" : "still running");
  if (!result.sound)
    std::printf("FAILED: exit code %d, %s\n", result.run.exitCode, result.run.err.c_str());
  return result;
}

int runBoth(unsigned seconds) {
  GeneratedNetwork network = fullSizeNetwork();
  std::printf("assigned flows: ");
  const CapacityRun assigned = runFullSize(network, seconds);
  bool good = assigned.sound && assigned.passes >= 2 &&
              (assigned.firstIterationEnded || assigned.run.timedOut);

  network.flows = unassignedFlows(network.flows);
  std::printf("unassigned flows: ");
  const CapacityRun unassigned = runFullSize(network, seconds);
  good = good && unassigned.sound && unassigned.passes >= 2 &&
         (unassigned.run.timedOut || unassigned.passes == kMaxPivotPasses);
  std::printf("%s\n", good ? "capacity run: passed" : "capacity run: FAILED");
  return good ? 0 : 1;
}

}  // namespace
}  // namespace veldmark::testing

int main(int argc, char** argv) {
  if (argc != 2 || std::atoi(argv[1]) <= 0) {
    std::fprintf(stderr, "usage: veldmark_capacity_run SECONDS\n");
    return 2;
  }
  return veldmark::testing::runBoth(static_cast<unsigned>(std::atoi(argv[1])));
}
