// The pricing scan shared out by origin rows must enter the pair that one
// row-major scan enters: the first non-duplicate pair with the strictly
// least reduced cost. The tables are set so that ties are exact (path costs
// 0, reduced costs small integers) and fall on both sides of the boundaries
// between the threads' blocks of rows.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "estimation/linearised/estimation_harness.h"
#include "estimation/linearised/fast/path_columns.h"
#include "estimation/linearised/kernel_choice.h"
#include "estimation/linearised/link_prices.h"

namespace veldmark {
namespace {

using testing::bits;

// Twelve zones on a two-way ring with four chords: after the first pass's
// shortest paths, every pair that one link joins duplicates its basic column.
std::vector<testing::FlowLink> ringWithChords() {
  std::vector<testing::FlowLink> links;
  for (int z = 1; z <= 12; ++z) {
    links.push_back({z, z % 12 + 1, 10.0 + z});
    links.push_back({z % 12 + 1, z, 20.0 + z});
  }
  for (int z = 1; z <= 4; ++z) links.push_back({z, z + 6, 5.0 * z});
  return links;
}

// A first pass up to the pricing: the identity basis, its inverse and
// indexes, the prices and the shortest paths (for the predecessors).
void prepareFirstPass(testing::Estimation& e) {
  EstimationWorkspace& w = e.workspace;
  for (int v = 0; v < w.linkCount; ++v) {
    const LinkZoneEnds ends = e.network.linkZones[v];
    w.Basis[v] = OdPair{ends.from, ends.to};
    for (int c = 0; c < w.linkCount; ++c) w.BasisMatrix[v][c] = c == v ? 1.0 : 0.0;
    w.BasicCosts[v] = -1.0;  // every link priced 1: the shortest paths have fewest links
  }
  chosen::invertBasis(w);
  chosen::computeLinkPrices(w);
  prepareShortestPaths(w, e.network);
  chosen::allPairsShortestPaths(w);
}

TEST(ParallelPricing, EntersThePairOfOneRowMajorScanWhateverTheTeam) {
  auto e = testing::startEstimation(ringWithChords(), false);
  EstimationWorkspace& w = e->workspace;
  prepareFirstPass(*e);
  const int n = w.zoneCount;
  ASSERT_EQ(n, 12);
  std::shared_ptr<ThreadTeam> teams[] = {std::make_shared<ThreadTeam>(2, 1),
                                         std::make_shared<ThreadTeam>(3, 1),
                                         std::make_shared<ThreadTeam>(8, 1)};
  std::mt19937 random(7);
  int tiesAcrossBlocks = 0, duplicatesSkipped = 0;
  for (int trial = 0; trial < 300 && !HasFailure(); ++trial) {
    // --- Reduced costs = CostTable: small integers, many ties ------------------
    for (int g = 0; g < n; ++g) {
      for (int i = 0; i < n; ++i) {
        w.PathCostMatrix[g][i] = 0.0;
        w.CostTable[g][i] = static_cast<double>(static_cast<int>(random() % 5) - 3);
      }
    }
    // In one trial of three a single least value sits at a pair that one
    // link joins (a duplicate), so the scan must look past it.
    if (trial % 3 == 0) {
      const LinkZoneEnds ends = e->network.linkZones[random() % w.linkCount];
      w.CostTable[ends.from][ends.to] = -9.0;
    }
    w.Team = nullptr;
    const PricingResult one = veldmark::priceColumns(w, e->network);
    w.EnteringColumn.assign(w.linkCount, 0.0);
    for (const auto& team : teams) {
      w.Team = team;
      const PricingResult shared = chosen::priceColumns(w, e->network);
      SCOPED_TRACE(::testing::Message() << "trial " << trial << ", " << team->size() << " threads");
      EXPECT_EQ(shared.EnteringPair.origin, one.EnteringPair.origin);
      EXPECT_EQ(shared.EnteringPair.destination, one.EnteringPair.destination);
      EXPECT_EQ(bits(shared.BestReducedCost), bits(one.BestReducedCost));
      // Did another block than the winner's hold the same least value?
      const int members = team->size(), winner = one.EnteringPair.origin;
      int winnerBlock = 0;
      while (blockFirst(n, winnerBlock + 1, members) <= winner) ++winnerBlock;
      for (int g = blockFirst(n, winnerBlock + 1, members); g < n; ++g) {
        for (int i = 0; i < n; ++i) tiesAcrossBlocks += w.CostTable[g][i] == one.BestReducedCost;
      }
    }
    if (trial % 3 == 0) duplicatesSkipped += one.BestReducedCost > -9.0;
  }
  w.Team = nullptr;
  EXPECT_GE(tiesAcrossBlocks, 100);
  EXPECT_EQ(duplicatesSkipped, 100);
}

}  // namespace
}  // namespace veldmark
