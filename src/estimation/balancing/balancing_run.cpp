#include "estimation/balancing/balancing_run.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "assignment/link_cost.h"
#include "estimation/balancing/level_routes.h"
#include "estimation/balancing/prior_pairs.h"

namespace veldmark {
namespace {

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", value);
  return text;
}

void phase(const BalancingSettings& settings, const std::string& line) {
  if (settings.onPhase) settings.onPhase(line);
}

// The flat prior's trips per pair: Σ v / Σ (P 1) over the counted links, on
// the routes of an all-or-nothing assignment at free-flow costs (1 when no
// counted link lies on any route).
double flatLevel(const BalancingInputs& inputs, const BalancingSettings& settings,
                 const PriorPairs& pairs, ThreadTeam* team, BalancingRecord& record) {
  LevelRoutes routes;
  LevelRecord ignored;
  BalancingRecord counted;
  assignLevel(inputs, settings, pairs.pairs, pairs.prior, 1, 1, team, routes, ignored, counted);
  std::vector<double> volumes;
  loadPairs(routes.counted, pairs.prior, volumes, team);  // P 1
  double countSum = 0.0, modelSum = 0.0;
  for (int c = 0; c < inputs.counted->count(); ++c) {
    if (!inputs.counted->hasCount[c]) continue;
    countSum += inputs.counted->counts[c];
    modelSum += volumes[c];
  }
  record.routeBytes = counted.routeBytes;
  return modelSum > 0.0 && countSum > 0.0 ? countSum / modelSum : 1.0;
}

std::string routesLine(int level, const LevelRecord& record) {
  return std::string(level == 1 ? "Routes of the prior" : "Routes of the estimate") +
         ": equilibrium at relative gap " + number(record.assignmentGap) + " after " +
         std::to_string(record.assignmentIterations) + " iterations" +
         (record.assignmentCapped ? " (iteration limit)" : "") + ", " +
         std::to_string(record.routes) + " routes";
}

// The estimate's zones, table (the prior's diagonal kept) and volumes.
Status finishEstimate(const BalancingInputs& inputs, const PriorPairs& pairs,
                      const std::vector<double>& table, const LevelRoutes& routes,
                      ThreadTeam* team, Estimate& estimate) {
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
  loadPairs(routes.counted, table, estimate.countedVolumes, team);
  loadPairs(routes.road, table, estimate.roadVolumes, team);
  return Status{};
}

// The pairs' routes of `first` with their shares times `a`, then those of
// `second` times `b`, pair by pair.
RouteSet mixRoutes(const RouteSet& first, double a, const RouteSet& second, double b) {
  RouteSet mixed;
  mixed.linkCount = first.linkCount;
  mixed.firstRoute = {0};
  mixed.firstLink = {0};
  std::vector<std::vector<std::int32_t>> links;
  std::vector<double> shares;
  for (int p = 0; p < first.pairCount(); ++p) {
    links.clear();
    shares.clear();
    for (const auto* set : {&first, &second}) {
      const double factor = set == &first ? a : b;
      for (std::int64_t r = set->firstRoute[p]; r < set->firstRoute[p + 1]; ++r) {
        links.emplace_back(set->routeLinks.begin() + set->firstLink[r],
                           set->routeLinks.begin() + set->firstLink[r + 1]);
        shares.push_back(set->shares[r] * factor);
      }
    }
    appendPair(mixed, first.pairs[p], links, shares);
  }
  return mixed;
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
  PriorPairs pairs = inputs.prior != nullptr ? priorPairs(*inputs.prior, zones)
                                             : flatPairs(zones, 1.0);
  record.pairs = static_cast<int>(pairs.pairs.size());
  record.diagonalTrips = pairs.diagonalTrips;
  if (inputs.prior == nullptr) {
    record.flatPrior = true;
    record.flatPriorLevel = flatLevel(inputs, settings, pairs, team.get(), record);
    pairs.prior.assign(pairs.prior.size(), record.flatPriorLevel);
    phase(settings, "No prior: a flat one of " + number(record.flatPriorLevel) +
                        " trips per pair, at the counts' level");
  }
  std::vector<double> table = pairs.prior;
  LevelRoutes routes;
  std::vector<double> cheat;
  if (const char* path = std::getenv("VEXP_TRUTH")) {
    std::FILE* f = std::fopen(path, "r");
    std::vector<double> full(static_cast<std::size_t>(zones) * zones, 0.0);
    char line[256];
    std::fgets(line, sizeof line, f);
    int o, d; double v;
    while (std::fscanf(f, "%d,%d,%lf", &o, &d, &v) == 3) full[(o - 1) * zones + (d - 1)] = v;
    std::fclose(f);
    for (const ZonePair& pair : pairs.pairs) cheat.push_back(full[pair.origin * zones + pair.destination]);
  }
  RoadNetwork observed;
  BalancingInputs observedInputs = inputs;
  const int fixMode = std::getenv("VEXP_FIX") ? std::atoi(std::getenv("VEXP_FIX")) : 0;
  if (fixMode) {
    observed = *inputs.network;
    const CostModel model = makeCostModel(*inputs.network, 0.0, 0.0);
    for (int c = 0; c < inputs.counted->count(); ++c) {
      if (!inputs.counted->hasCount[c]) continue;
      for (int k = inputs.counted->firstRoad[c]; k < inputs.counted->firstRoad[c + 1]; ++k) {
        const int a = inputs.counted->roadLinks[k];
        observed.freeFlowTime[a] = linkCost(model, a, inputs.counted->counts[c]);
        observed.b[a] = 0.0;
      }
    }
    observedInputs.network = &observed;
  }
  std::vector<double> sumTable, sumCounted, sumRoad;
  int averaged = 0;
  for (int level = 1; level <= levels; ++level) {
    LevelRecord levelRecord;
    LevelRoutes previous = std::move(routes);
    routes = LevelRoutes{};
    assignLevel(fixMode && (fixMode == 1 || level > 1) ? observedInputs : inputs, settings, pairs.pairs, cheat.empty() ? table : cheat, level, 0, team.get(), routes, levelRecord,
                record);
    phase(settings, routesLine(level, levelRecord));
    const int msa = std::getenv("VEXP_MSA") ? std::atoi(std::getenv("VEXP_MSA")) : 0;
    if (msa && level > 1) {
      const double keep = msa == 1 ? 1.0 - 1.0 / level : 0.5;
      routes.counted = mixRoutes(previous.counted, keep, routes.counted, 1.0 - keep);
      routes.road = mixRoutes(previous.road, keep, routes.road, 1.0 - keep);
    }
    previous = LevelRoutes{};
    const LevelProblem problem{level,
                               routes.counted,
                               pairs.prior,
                               inputs.counted->counts,
                               inputs.counted->hasCount,
                               inputs.counted->flat,
                               team.get()};
    const auto start = std::chrono::steady_clock::now();
    Status status = balance(problem, table, levelRecord, record);
    levelRecord.balancingSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    record.levels.push_back(levelRecord);
    if (!status.ok()) return status;
    const int avgFrom = std::getenv("VEXP_AVG") ? std::atoi(std::getenv("VEXP_AVG")) : 0;
    if (avgFrom > 0 && level >= avgFrom) {
      std::vector<double> vc, vr;
      loadPairs(routes.counted, table, vc, team.get());
      loadPairs(routes.road, table, vr, team.get());
      if (sumTable.empty()) { sumTable.assign(table.size(), 0.0); sumCounted.assign(vc.size(), 0.0); sumRoad.assign(vr.size(), 0.0); }
      for (std::size_t q = 0; q < table.size(); ++q) sumTable[q] += table[q];
      for (std::size_t q = 0; q < vc.size(); ++q) sumCounted[q] += vc[q];
      for (std::size_t q = 0; q < vr.size(); ++q) sumRoad[q] += vr[q];
      ++averaged;
    }
  }
  if (averaged > 0) {
    std::vector<double> mean(sumTable.size());
    for (std::size_t q = 0; q < mean.size(); ++q) mean[q] = sumTable[q] / averaged;
    Status status = finishEstimate(inputs, pairs, mean, routes, team.get(), estimate);
    for (double& v : sumCounted) v /= averaged;
    for (double& v : sumRoad) v /= averaged;
    estimate.countedVolumes = sumCounted;
    estimate.roadVolumes = sumRoad;
    return status;
  }
  return finishEstimate(inputs, pairs, table, routes, team.get(), estimate);
}

}  // namespace veldmark
