// Small abstract networks built in memory the way the input phase builds
// them, with the workspace allocated and the starting tables in place, on the
// fast or the reference kernels. Header only: the test programs are built
// from *_test.cpp files.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "estimation/linearised/limits.h"
#include "estimation/linearised/starting_tables.h"
#include "estimation/linearised/workspace.h"
#include "input/abstract_network.h"
#include "input/link_file.h"

namespace veldmark::testing {

struct FlowLink {
  NodeId from;
  NodeId to;
  double flow;  // as the flow file would set it
};

struct Estimation {
  AbstractNetwork network;
  EstimationWorkspace workspace;
  std::ostringstream console;
};

/// The network of `links` (zones in node-list order: from-nodes first, then
/// the nodes that are only to-nodes), its workspace and starting tables.
inline std::unique_ptr<Estimation> startEstimation(const std::vector<FlowLink>& links,
                                                   bool reference) {
  auto e = std::make_unique<Estimation>();
  std::vector<LinkLine> lines(links.size());
  for (std::size_t k = 0; k < links.size(); ++k) {
    lines[k] = LinkLine{links[k].from, links[k].to, {}, 9 + static_cast<int>(k)};
  }
  EXPECT_TRUE(buildAbstractNetwork("abstract.txt", lines, e->network, kMaxNodes).ok());
  for (std::size_t k = 0; k < links.size(); ++k) e->network.records[k].observedFlow = links[k].flow;
  EXPECT_TRUE(allocateWorkspace(e->network.zoneCount(), e->network.linkCount(), e->workspace).ok());
  e->workspace.settings.referenceKernels = reference;
  buildStartingTables(e->workspace, e->network, e->console);
  return e;
}

inline std::uint64_t bits(double value) {
  return std::bit_cast<std::uint64_t>(value);
}

struct Entry {
  ZoneIndex origin;
  ZoneIndex destination;
  double value;
};

/// The N x N `table` holds `entries` bit for bit and +0.0 elsewhere.
inline void expectTable(const DenseMatrix& table, int n, const std::vector<Entry>& entries) {
  std::vector<double> expected(n * n, 0.0);
  for (const Entry& entry : entries) expected[entry.origin * n + entry.destination] = entry.value;
  for (int i = 0; i < n * n; ++i) {
    EXPECT_EQ(bits(table.entries[i]), bits(expected[i]))
        << "[" << i / n << "][" << i % n << "] is " << table.entries[i];
  }
}

}  // namespace veldmark::testing
