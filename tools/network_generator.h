// Generated test networks: a grid of zones with two-way links, observed flows
// from a random O-D table assigned along fewest-link paths, and the awkward
// features real files have.
#pragma once

#include <string>

namespace veldmark::testing {

struct GeneratorOptions {
  int zones = 25;                 // N: distinct nodes of the abstract network
  double linksPerZone = 3.0;      // about L / N (at least the spanning links)
  unsigned seed = 1;              // everything else follows from the seed
  int parallelLinks = 0;          // links that repeat an existing link's endpoints
  int selfLinks = 0;              // links from a zone to itself
  double zeroFlowShare = 0.0;     // share of flow lines written with flow 0
  double missingFlowShare = 0.0;  // share of links left out of the flow file
  int zonesOutsideBase = 0;       // zones whose links the base network leaves out
  int extraBaseNodes = 0;         // base nodes that are not zones
  bool crlf = false;              // CRLF line ends instead of LF
};

struct GeneratedNetwork {
  std::string base;  // the files' texts
  std::string abstract;
  std::string flows;
};

/// The same options give the same text on every machine.
GeneratedNetwork generateNetwork(const GeneratorOptions& options);

}  // namespace veldmark::testing
