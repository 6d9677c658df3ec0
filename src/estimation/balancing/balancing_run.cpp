#include "estimation/balancing/balancing_run.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "estimation/balancing/free_flow_loading.h"
#include "estimation/balancing/level_routes.h"
#include "estimation/balancing/prior_pairs.h"

namespace veldmark {

std::string phaseNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", value);
  return text;
}

namespace {

void phase(const BalancingSettings& settings, const std::string& line) {
  if (settings.onPhase) settings.onPhase(line);
}

// The flat prior's trips per pair: Σ v / Σ (P 1) over the counted links, on
// the routes of an all-or-nothing loading at free-flow costs (1 when no
// counted link lies on any route). A counted link's P 1 is the sum over its
// road links.
double flatLevel(const BalancingInputs& inputs, const PriorPairs& pairs, ThreadTeam* team) {
  std::vector<double> road;
  freeFlowLoading(*inputs.network, *inputs.zones, pairs.pairs, pairs.prior, team, road);  // P 1
  const CountedLinks& counted = *inputs.counted;
  double countSum = 0.0, modelSum = 0.0;
  for (int c = 0; c < counted.count(); ++c) {
    if (!counted.hasCount[c]) continue;
    countSum += counted.counts[c];
    for (std::int32_t k = counted.firstRoad[c]; k < counted.firstRoad[c + 1]; ++k) {
      modelSum += road[counted.roadLinks[k]];
    }
  }
  return modelSum > 0.0 && countSum > 0.0 ? countSum / modelSum : 1.0;
}

std::string routesLine(int level, const LevelRecord& record) {
  return std::string(level == 1 ? "Routes of the prior" : "Routes of the estimate") +
         ": equilibrium at relative gap " + phaseNumber(record.assignmentGap) + " after " +
         std::to_string(record.assignmentIterations) + " iterations" +
         (record.assignmentCapped ? " (iteration limit)" : "") + ", " +
         std::to_string(record.routes) + " routes";
}

// Every level's balancing met its test, or the first that did not.
RunOutcome levelsOutcome(EstimationMethod method, const BalancingRecord& record) {
  for (std::size_t i = 0; i < record.levels.size(); ++i) {
    if (record.levels[i].converged) continue;
    return RunOutcome{
        false, std::string("the ") + methodName(method) + " balancing of level " +
                   std::to_string(i + 1) +
                   (method == EstimationMethod::kGradient ? " stopped at its step limit"
                                                          : " stopped before its tolerance")};
  }
  return RunOutcome{!record.levels.empty(), ""};
}

// The estimate's zones, table (the prior's diagonal kept) and volumes.
Status finishEstimate(const BalancingInputs& inputs, const PriorPairs& pairs,
                      const std::vector<double>& table, const LevelRoutes& routes, ThreadTeam* team,
                      Estimate& estimate) {
  const int zones = inputs.zones->zoneCount();
  std::vector<double> diagonal;
  if (inputs.prior != nullptr) {
    for (int i = 0; i < zones; ++i) {
      diagonal.push_back((*inputs.prior)[static_cast<std::size_t>(i) * zones + i]);
    }
  }
  if (!tableOfPairs(pairs, table, diagonal, zones, estimate.table)) {
    return Status{"out of memory"};
  }
  estimate.zones = inputs.zones->zoneNumbers;
  loadPairs(routes.countedRoutes(), table, estimate.countedVolumes, team);
  if (routes.countedIsRoad) {
    estimate.roadVolumes = estimate.countedVolumes;  // the same product
  } else {
    loadPairs(routes.road, table, estimate.roadVolumes, team);
  }
  return Status{};
}

}  // namespace

Status runBalancing(EstimationMethod method, const BalancingInputs& inputs,
                    const BalancingSettings& settings, int levels, const LevelBalancer& balance,
                    Estimate& estimate) {
  estimate.method = method;
  BalancingRecord& record = estimate.balancing;
  record = BalancingRecord{};
  record.countedLinks = inputs.counted->countedCount();
  std::unique_ptr<ThreadTeam> team;
  if (settings.threads > 1) team = std::make_unique<ThreadTeam>(settings.threads, 1);
  const int zones = inputs.zones->zoneCount();
  PriorPairs pairs =
      inputs.prior != nullptr ? priorPairs(*inputs.prior, zones) : flatPairs(zones, 1.0);
  record.pairs = static_cast<int>(pairs.pairs.size());
  record.diagonalTrips = pairs.diagonalTrips;
  if (inputs.prior == nullptr) {
    record.flatPrior = true;
    record.flatPriorLevel = flatLevel(inputs, pairs, team.get());
    pairs.prior.assign(pairs.prior.size(), record.flatPriorLevel);
    phase(settings, "No prior: a flat one of " + phaseNumber(record.flatPriorLevel) +
                        " trips per pair, at the counts' level");
  }
  std::vector<double> table = pairs.prior;
  LevelRoutes routes;
  for (int level = 1; level <= levels; ++level) {
    LevelRecord levelRecord;
    routes = LevelRoutes{};
    assignLevel(inputs, settings, pairs.pairs, table, level, team.get(), routes, levelRecord,
                record);
    phase(settings, routesLine(level, levelRecord));
    const LevelProblem problem{level,       routes.countedRoutes(), zones,
                               pairs.prior, inputs.counted->counts, inputs.counted->hasCount,
                               team.get()};
    const auto start = std::chrono::steady_clock::now();
    Status status = balance(problem, table, levelRecord, record);
    levelRecord.balancingSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    record.levels.push_back(levelRecord);
    if (!status.ok()) return status;
  }
  estimate.outcome = levelsOutcome(method, record);
  return finishEstimate(inputs, pairs, table, routes, team.get(), estimate);
}

}  // namespace veldmark
