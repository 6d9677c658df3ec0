// The balancing methods side by side on one small road network (the same
// checks under every method): a prior that already meets the counts comes
// back unchanged, a zero cell of the prior stays zero, the counts pull the
// table their way, the hard limit's failure is reported, and no answer
// depends on the thread count.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "assignment/equilibrium.h"
#include "estimation/balancing/small_problems.h"
#include "estimation/entropy/entropy_method.h"
#include "estimation/gradient/gradient_method.h"

namespace veldmark {
namespace {

constexpr double kAuto = kCountWeightFromData;
constexpr double kInfinite = std::numeric_limits<double>::infinity();

// The diamond (small_problems.h) with a third zone, node 5, joined to 3.
struct Problem {
  RoadNetwork network = testing::diamondNetwork();
  ZoneSet zones;
  CountedLinks counted;
  std::vector<double> prior;  // 3 x 3, zones 1, 2, 5
};

Problem makeProblem(const std::vector<double>& prior) {
  Problem problem;
  problem.network.firstOut.clear();
  testing::addLink(problem.network, 5, 3, 100.0, 0.5, 0.15);
  testing::addLink(problem.network, 3, 5, 100.0, 0.5, 0.15);
  buildForwardStar(problem.network);
  EXPECT_TRUE(makeZoneSet(problem.network, {1, 2, 5}, false, "test", problem.zones).ok());
  problem.prior = prior;
  return problem;
}

// Counts on road links `links`: the volumes of an equilibrium of `table`.
void countFromTable(Problem& problem, const std::vector<int>& links,
                    const std::vector<double>& table) {
  std::vector<ZonePair> pairs;
  std::vector<double> demand;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      if (i != j && table[i * 3 + j] > 0.0) {
        pairs.push_back(ZonePair{i, j});
        demand.push_back(table[i * 3 + j]);
      }
    }
  }
  AssignmentSettings settings;
  settings.gap = 1e-12;
  const AssignmentResult result =
      assignPairs(problem.network, problem.zones, pairs, demand, settings);
  problem.counted = CountedLinks{};
  problem.counted.firstRoad = {0};
  for (const int a : links) {
    problem.counted.counts.push_back(result.linkVolumes[a]);
    problem.counted.hasCount.push_back(1);
    problem.counted.roadLinks.push_back(a);
    problem.counted.firstRoad.push_back(
        static_cast<std::int32_t>(problem.counted.roadLinks.size()));
  }
}

struct Method {
  const char* name;
  EstimationMethod method;
  double countWeight;
};

const Method kMethods[] = {{"entropy, kappa 10", EstimationMethod::kEntropy, 10.0},
                           {"entropy, kappa chosen", EstimationMethod::kEntropy, kAuto},
                           {"entropy, hard limit", EstimationMethod::kEntropy, kInfinite},
                           {"gradient", EstimationMethod::kGradient, 0.0}};

Status run(const Problem& problem, const Method& method, Estimate& estimate, int threads = 1) {
  const BalancingInputs inputs{&problem.network, &problem.zones, &problem.counted, &problem.prior};
  BalancingSettings settings;
  settings.gap = 1e-12;
  settings.countWeight = method.countWeight;
  settings.threads = threads;
  return method.method == EstimationMethod::kEntropy
             ? estimateByEntropy(inputs, settings, estimate)
             : estimateByGradient(inputs, settings, estimate);
}

const std::vector<double> kPrior = {5.0,  150.0, 20.0,  //
                                    80.0, 7.0,   30.0,  //
                                    0.0,  40.0,  0.0};  // 5 to 1: a structural zero

TEST(BalancingMethods, PriorThatMeetsTheCountsComesBackUnchanged) {
  Problem problem = makeProblem(kPrior);
  countFromTable(problem, {0, 2, 4, 8}, kPrior);
  for (const Method& method : kMethods) {
    SCOPED_TRACE(method.name);
    Estimate estimate;
    ASSERT_TRUE(run(problem, method, estimate).ok());
    EXPECT_EQ(estimate.zones, (std::vector<NodeId>{1, 2, 5}));
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) {
        EXPECT_NEAR(estimate.table[i][j], kPrior[i * 3 + j], 1e-6 * kPrior[i * 3 + j]);
      }
    }
    ASSERT_EQ(estimate.countedVolumes.size(), 4u);
    for (int c = 0; c < 4; ++c) {
      EXPECT_NEAR(estimate.countedVolumes[c], problem.counted.counts[c], 1e-6);
    }
    EXPECT_EQ(estimate.roadVolumes.size(), static_cast<std::size_t>(problem.network.linkCount()));
  }
}

// Counts of a table 1.5 times the prior from 1 and half of it from 2: every
// method moves those rows that way, keeps the zero cell at 0 and the
// diagonal as the prior has it, and gives the same bits on two threads.
TEST(BalancingMethods, CountsPullTheRowsAndTheZeroCellStays) {
  std::vector<double> truth = kPrior;
  for (int j = 0; j < 3; ++j) {
    truth[j] *= 1.5;
    truth[3 + j] *= 0.5;
  }
  Problem problem = makeProblem(kPrior);
  countFromTable(problem, {0, 1, 2, 3, 4, 5, 8, 9}, truth);
  for (const Method& method : kMethods) {
    if (std::isinf(method.countWeight)) continue;
    SCOPED_TRACE(method.name);
    Estimate estimate;
    ASSERT_TRUE(run(problem, method, estimate).ok());
    EXPECT_GT(estimate.table[0][1], kPrior[1] * 1.1);
    EXPECT_LT(estimate.table[1][0], kPrior[3] * 0.9);
    EXPECT_EQ(estimate.table[2][0], 0.0);
    EXPECT_EQ(estimate.table[0][0], 5.0);
    EXPECT_EQ(estimate.table[1][1], 7.0);
    Estimate shared;
    ASSERT_TRUE(run(problem, method, shared, 2).ok());
    for (int k = 0; k < 9; ++k) EXPECT_EQ(shared.table[k / 3][k % 3], estimate.table[k / 3][k % 3]);
  }
}

// Link 1→3 counted twice with different counts: no table meets both, so
// the hard limit fails with its message; a finite weight does not.
TEST(BalancingMethods, HardLimitOnCountsNoTableMeetsFails) {
  Problem problem = makeProblem(kPrior);
  countFromTable(problem, {0, 0}, kPrior);
  problem.counted.counts[1] = problem.counted.counts[0] + 50.0;
  Estimate estimate;
  const Status status = run(problem, kMethods[2], estimate);
  EXPECT_EQ(status.message.rfind("the counts cannot be met exactly on these routes", 0), 0u)
      << status.message;
  EXPECT_TRUE(run(problem, kMethods[0], estimate).ok());
}

}  // namespace
}  // namespace veldmark
