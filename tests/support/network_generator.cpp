#include "support/network_generator.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <queue>
#include <string>
#include <vector>

namespace veldmark::testing {
namespace {

// A small deterministic generator (the standard engines' distributions are
// not the same on every library).
struct Random {
  std::uint64_t state;
  std::uint64_t next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    std::uint64_t x = state;
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdull;
    return x ^ (x >> 33);
  }
  int below(int bound) { return static_cast<int>(next() % static_cast<std::uint64_t>(bound)); }
  double unit() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }
};

struct Link {
  int from;  // zone positions 0..N-1
  int to;
};

// Grid links both ways: every row chained, column 0 chained (so all zones
// connect), further vertical pairs until about linksPerZone * N links.
std::vector<Link> gridLinks(const GeneratorOptions& options, Random& random) {
  const int n = options.zones;
  int columns = 1;
  while (columns * columns < n) ++columns;
  std::vector<Link> links;
  auto both = [&](int a, int b) {
    links.push_back({a, b});
    links.push_back({b, a});
  };
  for (int z = 0; z < n; ++z) {
    if (z % columns != 0) both(z - 1, z);
    if (z % columns == 0 && z >= columns) both(z - columns, z);
  }
  std::vector<int> candidates;
  for (int z = columns; z < n; ++z) {
    if (z % columns != 0) candidates.push_back(z);
  }
  const int target = static_cast<int>(options.linksPerZone * n);
  while (!candidates.empty() && static_cast<int>(links.size()) + 2 <= target) {
    const int pick = random.below(static_cast<int>(candidates.size()));
    both(candidates[pick] - columns, candidates[pick]);
    candidates.erase(candidates.begin() + pick);
  }
  return links;
}

// Flows of a random O-D table on fewest-link paths (first found by a
// breadth-first search in link order).
std::vector<double> assignedFlows(int n, const std::vector<Link>& links, Random& random) {
  std::vector<double> flow(links.size(), 0.0);
  std::vector<std::vector<int>> outgoing(n);
  for (std::size_t e = 0; e < links.size(); ++e)
    outgoing[links[e].from].push_back(static_cast<int>(e));
  const int pairs = 4 * n;
  for (int p = 0; p < pairs; ++p) {
    const int origin = random.below(n);
    const int destination = random.below(n);
    const double demand = 10.0 + random.below(1900) / 10.0;
    std::vector<int> via(n, -2);
    std::queue<int> queue;
    via[origin] = -1;
    queue.push(origin);
    while (!queue.empty()) {
      const int z = queue.front();
      queue.pop();
      for (int e : outgoing[z]) {
        if (via[links[e].to] != -2) continue;
        via[links[e].to] = e;
        queue.push(links[e].to);
      }
    }
    for (int z = destination; z != origin && via[z] >= 0; z = links[via[z]].from) {
      flow[via[z]] += demand;
    }
  }
  return flow;
}

std::string number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", value);
  return text;
}

struct Writer {
  const char* end;
  std::string text;
  void line(const std::string& content) { text += content + end; }
};

std::string linkText(const char* title, const std::vector<Link>& links, const std::vector<int>& ids,
                     const char* end) {
  Writer w{end, {}};
  w.line(title);
  for (int m = 2; m <= 7; ++m) w.line("metadata line " + std::to_string(m));
  w.line("from to capacity length free_flow_time b power speed toll link_type");
  for (const Link& link : links) {
    w.line(std::to_string(ids[link.from]) + " " + std::to_string(ids[link.to]) +
           " 1000 1.5 2.25 0.15 4 50 0 1");
  }
  return w.text;
}

// One flow line per distinct ordered pair, listing the values of all its
// parallel links in link order.
std::string flowText(const GeneratorOptions& options, const std::vector<Link>& links,
                     const std::vector<double>& flow, const std::vector<int>& ids, Random& random) {
  Writer w{options.crlf ? "\r\n" : "\n", {}};
  w.line("generated observed flows");
  for (int m = 2; m <= 5; ++m) w.line("metadata line " + std::to_string(m));
  w.line("from to   volume cost");
  std::vector<char> written(links.size(), 0);
  for (std::size_t e = 0; e < links.size(); ++e) {
    if (written[e]) continue;
    // A missing pair leaves out the line of all its parallel links.
    const bool missing = random.unit() < options.missingFlowShare;
    std::string line = std::to_string(ids[links[e].from]) + " " + std::to_string(ids[links[e].to]);
    for (std::size_t f = e; f < links.size(); ++f) {
      if (links[f].from != links[e].from || links[f].to != links[e].to) continue;
      written[f] = 1;
      if (missing) continue;
      const double value = random.unit() < options.zeroFlowShare ? 0.0 : flow[f];
      line += "   " + number(value) + " " + number(random.below(100) / 7.0);
    }
    if (!missing) w.line(line);
  }
  return w.text;
}

}  // namespace

GeneratedNetwork generateNetwork(const GeneratorOptions& options) {
  Random random{options.seed * 0x9e3779b97f4a7c15ull + 12345};
  const int n = std::max(2, options.zones);
  GeneratorOptions sized = options;
  sized.zones = n;
  std::vector<Link> links = gridLinks(sized, random);
  for (int p = 0; p < options.parallelLinks; ++p) {
    links.insert(links.begin() + random.below(static_cast<int>(links.size()) + 1),
                 links[random.below(static_cast<int>(links.size()))]);
  }
  for (int s = 0; s < options.selfLinks; ++s) {
    const int z = random.below(n);
    links.push_back({z, z});
  }
  std::vector<double> flow = assignedFlows(n, links, random);
  for (std::size_t e = 0; e < links.size(); ++e) {
    if (links[e].from == links[e].to) flow[e] = 5.0 + random.below(50);
  }
  // Node numbers: a shuffled range, so the zone order differs from numbering.
  std::vector<int> ids(n + options.extraBaseNodes);
  for (std::size_t i = 0; i < ids.size(); ++i) ids[i] = static_cast<int>(i) + 1;
  for (std::size_t i = ids.size(); i > 1; --i)
    std::swap(ids[i - 1], ids[random.below(static_cast<int>(i))]);

  const char* end = options.crlf ? "\r\n" : "\n";
  GeneratedNetwork network;
  network.abstract = linkText("generated abstract network", links, ids, end);
  network.flows = flowText(options, links, flow, ids, random);
  std::vector<Link> baseLinks;
  for (const Link& link : links) {
    if (link.from >= options.zonesOutsideBase && link.to >= options.zonesOutsideBase) {
      baseLinks.push_back(link);
    }
  }
  for (int x = 0; x < options.extraBaseNodes; ++x) {
    const int z =
        options.zonesOutsideBase + random.below(std::max(1, n - options.zonesOutsideBase));
    baseLinks.push_back({z, n + x});
    baseLinks.push_back({n + x, z});
  }
  network.base = linkText("generated base network", baseLinks, ids, end);
  return network;
}

}  // namespace veldmark::testing
