// Small abstract networks built in memory the way the input phase builds
// them (node list, zones, link zones, observed flows), with the workspace
// allocated and the starting tables in place, on the fast or the reference
// kernels. Header only: the test programs are built from *_test.cpp files.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "estimation/starting_tables.h"
#include "estimation/workspace.h"
#include "input/link_file.h"
#include "input/node_list.h"
#include "veldmark/network.h"

namespace veldmark::testing {

struct FlowLink {
  NodeId from;
  NodeId to;
  double flow;  // the observed flow, as the flow file would set it
};

struct Estimation {
  AbstractNetwork network;
  EstimationWorkspace workspace;
  std::ostringstream console;
  int zones() const { return workspace.zoneCount; }
};

/// The network of `links` (zones in node-list order: from-nodes first, then
/// the nodes that are only to-nodes), its workspace on the chosen kernels,
/// and the starting tables (their console lines go to `console`).
inline std::unique_ptr<Estimation> startEstimation(const std::vector<FlowLink>& links,
                                                   bool reference) {
  auto e = std::make_unique<Estimation>();
  std::vector<LinkLine> lines(links.size());
  for (std::size_t k = 0; k < links.size(); ++k) {
    lines[k].from = links[k].from;
    lines[k].to = links[k].to;
    lines[k].lineNumber = 9 + static_cast<int>(k);
  }
  storeAbstractLinks("abstract.txt", lines, e->network);
  EXPECT_TRUE(buildNodeList("abstract.txt", lines, e->network.zoneList).ok());
  mapLinksToZones(e->network);
  for (std::size_t k = 0; k < links.size(); ++k) e->network.records[k].observedFlow = links[k].flow;
  EXPECT_TRUE(allocateWorkspace(e->network.zoneCount(), e->network.linkCount(), e->workspace).ok());
  e->workspace.Scratch.reference = reference;
  buildStartingTables(e->workspace, e->network, e->console);
  return e;
}

/// What the outer iteration sets up before each pivot loop: every link
/// carries its own observed flow on its own pair, the basis matrix is the
/// identity, and no pass has started.
inline void setLinkBasis(Estimation& e) {
  EstimationWorkspace& w = e.workspace;
  w.PivotCounter = 0;
  const int l = w.linkCount;
  for (int v = 0; v < l; ++v) {
    const LinkZoneEnds ends = e.network.linkZones[v];
    w.Basis[v] = OdPair{ends.from, ends.to};
    w.BasicValues[v] = e.network.records[v].observedFlow;
    w.BasicCosts[v] = w.CostTable[ends.from][ends.to];
    for (int c = 0; c < l; ++c) w.BasisMatrix[v][c] = c == v ? 1.0 : 0.0;
  }
}

inline std::uint64_t bits(double value) {
  return std::bit_cast<std::uint64_t>(value);
}

struct Entry {
  ZoneIndex origin;
  ZoneIndex destination;
  double value;
};

/// Every entry of the N x N `table` is bit for bit `entries`' value where
/// listed and +0.0 elsewhere.
inline void expectTable(const DenseMatrix& table, int n, const std::vector<Entry>& entries) {
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      double expected = 0.0;
      for (const Entry& entry : entries) {
        if (entry.origin == i && entry.destination == j) expected = entry.value;
      }
      EXPECT_EQ(bits(table[i][j]), bits(expected))
          << "[" << i << "][" << j << "] is " << table[i][j] << ", expected " << expected;
    }
  }
}

/// The console's text for an iteration: header, dots, average line.
inline std::string iterationText(int k, int dots, const std::string& average) {
  return "   ==========================================\n   Iteration: " + std::to_string(k) +
         "\n   Pivot move over the linear space " + std::string(dots, '.') +
         "\n   Average O-D flow difference: " + average + "\n";
}

inline const char* kernelsName(bool reference) {
  return reference ? "reference kernels" : "fast kernels";
}

}  // namespace veldmark::testing
