#include "tools/network_generator.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <queue>
#include <vector>

namespace veldmark::testing {
namespace {

// A small deterministic generator (the standard distributions are not the
// same on every library).
struct Random {
  std::uint64_t state;
  std::uint64_t next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    const std::uint64_t x = (state ^ (state >> 33)) * 0xff51afd7ed558ccdull;
    return x ^ (x >> 33);
  }
  int below(int bound) { return static_cast<int>(next() % static_cast<std::uint64_t>(bound)); }
  double unit() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }
};

struct Link {
  int from;  // zone positions 0..N-1 (N.. for extra base nodes)
  int to;
};

// Grid links both ways: every row chained, column 0 chained (so all zones
// connect), further vertical pairs until about linksPerZone * N links.
std::vector<Link> gridLinks(int n, double linksPerZone, Random& random) {
  int columns = 1;
  while (columns * columns < n) ++columns;
  std::vector<Link> links;
  std::vector<int> candidates;
  for (int z = 0; z < n; ++z) {
    const int other = z % columns != 0 ? z - 1 : z >= columns ? z - columns : -1;
    if (other >= 0) links.insert(links.end(), {{other, z}, {z, other}});
    if (z >= columns && z % columns != 0) candidates.push_back(z);
  }
  while (!candidates.empty() && static_cast<int>(links.size()) + 2 <= linksPerZone * n) {
    const auto pick = candidates.begin() + random.below(static_cast<int>(candidates.size()));
    links.insert(links.end(), {{*pick - columns, *pick}, {*pick, *pick - columns}});
    candidates.erase(pick);
  }
  return links;
}

// Flows of a random O-D table on fewest-link paths (the first found by a
// breadth-first search in link order).
std::vector<double> assignedFlows(int n, const std::vector<Link>& links, Random& random) {
  std::vector<double> flow(links.size(), 0.0);
  for (int p = 0; p < 4 * n; ++p) {
    const int origin = random.below(n), destination = random.below(n);
    const double demand = 10.0 + random.below(1900) / 10.0;
    std::vector<int> via(n, -2);  // the link into each zone, -1 at the origin
    std::queue<int> queue;
    via[origin] = -1;
    for (queue.push(origin); !queue.empty(); queue.pop()) {
      for (std::size_t e = 0; e < links.size(); ++e) {
        if (links[e].from != queue.front() || via[links[e].to] != -2) continue;
        via[links[e].to] = static_cast<int>(e);
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

std::string linkText(const char* title, const std::vector<Link>& links, const std::vector<int>& ids,
                     const std::string& end) {
  std::string text = title + end;
  for (int m = 2; m <= 7; ++m) text += "metadata line " + std::to_string(m) + end;
  text += "from to capacity length free_flow_time b power speed toll link_type" + end;
  for (const Link& link : links) {
    text += std::to_string(ids[link.from]) + " " + std::to_string(ids[link.to]) +
            " 1000 1.5 2.25 0.15 4 50 0 1" + end;
  }
  return text;
}

// One flow line per distinct ordered pair, listing the values of all its
// parallel links in link order; a missing pair leaves out the whole line.
std::string flowText(const GeneratorOptions& options, const std::vector<Link>& links,
                     const std::vector<double>& flow, const std::vector<int>& ids,
                     const std::string& end, Random& random) {
  std::string text = "generated observed flows" + end;
  for (int m = 2; m <= 5; ++m) text += "metadata line " + std::to_string(m) + end;
  text += "from to   volume cost" + end;
  std::vector<char> written(links.size(), 0);
  for (std::size_t e = 0; e < links.size(); ++e) {
    if (written[e]) continue;
    const bool missing = random.unit() < options.missingFlowShare;
    std::string line = std::to_string(ids[links[e].from]) + " " + std::to_string(ids[links[e].to]);
    for (std::size_t f = e; f < links.size(); ++f) {
      if (links[f].from != links[e].from || links[f].to != links[e].to) continue;
      written[f] = 1;
      if (missing) continue;
      const double value = random.unit() < options.zeroFlowShare ? 0.0 : flow[f];
      line += "   " + number(value) + " " + number(random.below(100) / 7.0);
    }
    if (!missing) text += line + end;
  }
  return text;
}

}  // namespace

GeneratedNetwork generateNetwork(const GeneratorOptions& options) {
  Random random{options.seed * 0x9e3779b97f4a7c15ull + 12345};
  const int n = std::max(2, options.zones);
  std::vector<Link> links = gridLinks(n, options.linksPerZone, random);
  for (int p = 0; p < options.parallelLinks; ++p) {
    const Link copy = links[random.below(static_cast<int>(links.size()))];
    links.insert(links.begin() + random.below(static_cast<int>(links.size()) + 1), copy);
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
  for (std::size_t i = ids.size(); i > 1; --i) {
    std::swap(ids[i - 1], ids[random.below(static_cast<int>(i))]);
  }
  const std::string end = options.crlf ? "\r\n" : "\n";
  GeneratedNetwork network;
  network.abstract = linkText("generated abstract network", links, ids, end);
  network.flows = flowText(options, links, flow, ids, end, random);
  std::vector<Link> baseLinks;
  const int outside = options.zonesOutsideBase;
  std::copy_if(links.begin(), links.end(), std::back_inserter(baseLinks),
               [&](const Link& link) { return link.from >= outside && link.to >= outside; });
  for (int x = 0; x < options.extraBaseNodes; ++x) {
    const int z = outside + random.below(std::max(1, n - outside));
    baseLinks.insert(baseLinks.end(), {{z, n + x}, {n + x, z}});
  }
  network.base = linkText("generated base network", baseLinks, ids, end);
  return network;
}

}  // namespace veldmark::testing
