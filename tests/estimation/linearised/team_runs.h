// Whole estimations of one network on teams of 1, 2, 3 and 8 threads, with
// every step shared out however few its rows, compared byte for byte: the
// console, every bit of the trip table and what the estimation recorded.
// Header only: used by the estimation and the driver test programs.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "estimation/linearised/outer_iteration.h"
#include "estimation/linearised/starting_tables.h"
#include "estimation/linearised/workspace.h"

namespace veldmark::testing {

struct TeamRun {
  std::string console;
  std::vector<double> table;  // the final TripTable, row-major
  EstimationRecord record;
  bool sharedWork = false;  // a team of more than one thread did the work
};

/// The estimation of `network` on `threads` threads, sharing every step.
inline TeamRun runOnTeam(const AbstractNetwork& read, int threads) {
  AbstractNetwork network = read;  // the starting tables write into it
  TeamRun run;
  EstimationSettings settings;
  settings.threads = threads;
  settings.entriesPerChunk = 1;
  EstimationWorkspace w;
  const int n = network.zoneCount();
  EXPECT_TRUE(allocateWorkspace(n, network.linkCount(), w, settings).ok());
  run.sharedWork = w.Team != nullptr && w.Team->size() == threads;
  std::ostringstream console;
  buildStartingTables(w, network, console);
  run.record = runOuterIterations(w, network, console);
  run.console = console.str();
  run.table.assign(w.TripTable[0], w.TripTable[0] + static_cast<std::size_t>(n) * n);
  return run;
}

/// Runs `network` on 1, 2, 3 and 8 threads and expects the same bytes.
inline void expectSameBytesOnEveryTeam(const AbstractNetwork& network) {
  const TeamRun alone = runOnTeam(network, 1);
  EXPECT_FALSE(alone.sharedWork);
  for (const int threads : {2, 3, 8}) {
    SCOPED_TRACE(::testing::Message() << threads << " threads");
    const TeamRun team = runOnTeam(network, threads);
    EXPECT_TRUE(team.sharedWork);
    EXPECT_EQ(team.console, alone.console);
    ASSERT_EQ(team.table.size(), alone.table.size());
    EXPECT_EQ(std::memcmp(team.table.data(), alone.table.data(), team.table.size() * 8), 0);
    ASSERT_EQ(team.record.iterations.size(), alone.record.iterations.size());
    for (std::size_t i = 0; i < team.record.iterations.size(); ++i) {
      const PivotLoopResult &a = alone.record.iterations[i].pivotLoop,
                            &b = team.record.iterations[i].pivotLoop;
      EXPECT_EQ(b.passes, a.passes) << "iteration " << i + 1;
      EXPECT_EQ(b.pivots, a.pivots) << "iteration " << i + 1;
      EXPECT_EQ(b.stop, a.stop) << "iteration " << i + 1;
    }
  }
}

}  // namespace veldmark::testing
