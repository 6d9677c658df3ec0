// The balancing of a large run alone, on routes assigned once and saved
// (docs/PERFORMANCE.md, "Chicago regional with every link counted"):
//   veldmark_balancing_bench save BASE ABSTRACT FLOWS ZONES FILE [ITERATIONS [GAP]]
//     reads the inputs as `veldmark --method entropy` does without a prior
//     (--zones ZONES), takes the flat prior at the counts' level, assigns it
//     (ITERATIONS at most, default 1; GAP default 0.2) and writes the pairs,
//     the prior, the counts and the routes over the counted links to FILE;
//   veldmark_balancing_bench balance FILE RHO [THREADS [KAPPA [ITERATIONS|TOLERANCE]]]
//     balances them as the entropy method does (RHO "inf": the dual by
//     Newton–CG, to TOLERANCE if given; else trip-end factors by L-BFGS with
//     at most ITERATIONS)
//     and prints the time, the steps, the products, the stop and the fit.
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "estimation/balancing/balancing_run.h"
#include "estimation/balancing/count_weights.h"
#include "estimation/balancing/level_routes.h"
#include "estimation/balancing/prior_pairs.h"
#include "estimation/entropy/newton_cg.h"
#include "estimation/entropy/trip_end_factors.h"
#include "input/abstract_network.h"
#include "input/link_flow_file.h"
#include "network/road_network_file.h"
#include "network/zone_set.h"

using namespace veldmark;

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

template <typename T>
void put(std::ofstream& out, const std::vector<T>& values) {
  const std::int64_t size = static_cast<std::int64_t>(values.size());
  out.write(reinterpret_cast<const char*>(&size), sizeof size);
  out.write(reinterpret_cast<const char*>(values.data()),
            static_cast<std::streamsize>(size * sizeof(T)));
}

template <typename T>
void get(std::ifstream& in, std::vector<T>& values) {
  std::int64_t size = 0;
  in.read(reinterpret_cast<char*>(&size), sizeof size);
  values.resize(static_cast<std::size_t>(size));
  in.read(reinterpret_cast<char*>(values.data()), static_cast<std::streamsize>(size * sizeof(T)));
}

// What a balancing is given, as saved.
struct Saved {
  int zones = 0;
  std::vector<double> prior, counts;
  std::vector<std::uint8_t> hasCount;
  RouteSet routes;
};

int fail(const Status& status) {
  std::fprintf(stderr, "%s\n", status.message.c_str());
  return 1;
}

int save(char** argv, int argc) {
  RoadNetwork network;
  AbstractNetwork abstract;
  FlowFileStatistics statistics;
  CountedLinks counted;
  std::vector<NodeId> numbers;
  ZoneSet zones;
  Status status = readRoadNetwork(argv[2], network);
  if (status.ok()) status = readAbstractNetwork(argv[3], abstract, NetworkLimits{4000000, 8000000});
  if (status.ok()) status = readLinkFlowFile(argv[4], abstract, &statistics);
  if (status.ok()) status = matchCountedLinks(network, abstract, statistics.linkNamed, counted);
  if (status.ok()) status = parseZoneRange(argv[5], numbers);
  if (status.ok()) status = makeZoneSet(network, numbers, false, "--zones", zones);
  if (!status.ok()) return fail(status);
  BalancingSettings settings;
  settings.maxAssignmentIterations = argc > 7 ? std::atoi(argv[7]) : 1;
  settings.gap = argc > 8 ? std::atof(argv[8]) : 0.2;
  settings.threads = 2;
  settings.levels = 1;
  settings.tripEndWeight = kNoTripEnds;
  // The routes: runBalancing's first level, its balancing replaced by saving.
  const BalancingInputs inputs{&network, &zones, &counted, nullptr};
  Saved saved;
  const auto start = Clock::now();
  const LevelBalancer keep = [&](const LevelProblem& problem, std::vector<double>&, LevelRecord&,
                                 BalancingRecord&) {
    std::printf("routes after %.1f s\n", since(start));
    std::ofstream out(argv[6], std::ios::binary);
    saved.zones = problem.zoneCount;
    put(out, std::vector<int>{problem.zoneCount});
    put(out, problem.prior);
    put(out, problem.counts);
    put(out, problem.hasCount);
    put(out, std::vector<int>{problem.routes.linkCount});
    put(out, problem.routes.pairs);
    put(out, problem.routes.firstRoute);
    put(out, problem.routes.firstLink);
    put(out, problem.routes.routeLinks);
    put(out, problem.routes.shares);
    return out ? Status{} : Status{"cannot write the routes"};
  };
  Estimate estimate;
  settings.onAssignment = [&](int, int iteration, double gap) {
    std::printf("%.1f s: assignment iteration %d, relative gap %.3g\n", since(start), iteration,
                gap);
    std::fflush(stdout);
  };
  settings.onPhase = [&](const std::string& line) {
    std::printf("%.1f s: %s\n", since(start), line.c_str());
  };
  status = runBalancing(EstimationMethod::kEntropy, inputs, settings, 1, keep, estimate);
  return status.ok() ? 0 : fail(status);
}

// The share of counts within GEH 5 of `volumes`.
double gehShare(const Saved& saved, const std::vector<double>& volumes) {
  int within = 0, total = 0;
  for (std::size_t c = 0; c < saved.counts.size(); ++c) {
    if (!saved.hasCount[c]) continue;
    const double v = saved.counts[c], m = volumes[c];
    const double geh = v + m > 0.0 ? std::sqrt(2.0 * (m - v) * (m - v) / (m + v)) : 0.0;
    within += geh < 5.0;
    ++total;
  }
  return total > 0 ? static_cast<double>(within) / total : 1.0;
}

int balanceSaved(char** argv, int argc) {
  Saved saved;
  std::ifstream in(argv[2], std::ios::binary);
  std::vector<int> scalar;
  get(in, scalar);
  saved.zones = scalar.at(0);
  get(in, saved.prior);
  get(in, saved.counts);
  get(in, saved.hasCount);
  get(in, scalar);
  saved.routes.linkCount = scalar.at(0);
  get(in, saved.routes.pairs);
  get(in, saved.routes.firstRoute);
  get(in, saved.routes.firstLink);
  get(in, saved.routes.routeLinks);
  get(in, saved.routes.shares);
  if (!in) return fail(Status{"cannot read the routes"});
  const double rho = std::strcmp(argv[3], "inf") == 0 ? kNoTripEnds : std::atof(argv[3]);
  const int threads = argc > 4 ? std::atoi(argv[4]) : 2;
  const double kappa = argc > 5 ? std::atof(argv[5]) : kDefaultCountWeight;
  ThreadTeam team(threads);
  const std::vector<double> weights = countWeights(kappa, saved.counts, saved.hasCount);
  std::vector<double> table, volumes;
  const auto start = Clock::now();
  if (std::isinf(rho)) {
    const EntropyProblem dual{saved.routes, saved.prior, saved.counts, weights, kNoTripEnds, &team};
    std::vector<double> lambda(saved.counts.size(), 0.0);
    NewtonSettings settings;
    if (argc > 6) settings.tolerance = std::atof(argv[6]);
    const NewtonTrace trace = minimiseDual(dual, settings, lambda, table, volumes);
    std::printf("dual: %.1f s, %d Newton steps, %d CG steps, relative gradient %.3g, %s\n",
                since(start), trace.steps, trace.cgSteps, trace.relativeGradient,
                trace.converged ? "converged"
                : trace.stalled ? "stalled"
                                : "step limit");
  } else {
    LbfgsSettings settings;
    if (argc > 6) settings.maxIterations = std::atoi(argv[6]);
    const TripEndProblem problem{saved.routes, saved.prior, saved.zones, saved.counts,
                                 weights,      rho,         settings,    &team};
    TripEndSolution solution;
    if (Status status = balanceWithTripEnds(problem, solution); !status.ok()) return fail(status);
    table = solution.table;
    volumes = solution.volumes;
    std::printf("L-BFGS: %.1f s, %d iterations, %d evaluations, gradient %.3g, %s\n", since(start),
                solution.minimiser.iterations, solution.minimiser.evaluations,
                solution.minimiser.gradientNorm, lbfgsStopName(solution.minimiser.stop));
  }
  double total = 0.0;
  for (const double x : table) total += x;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf(
      "pairs %d, routes %lld, table total %.6g, counts within GEH 5 %.1f%%, peak RSS %.0f MB\n",
      saved.routes.pairCount(), static_cast<long long>(saved.routes.routeCount()), total,
      100.0 * gehShare(saved, volumes), usage.ru_maxrss / 1024.0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 7 && std::strcmp(argv[1], "save") == 0) return save(argv, argc);
  if (argc >= 4 && std::strcmp(argv[1], "balance") == 0) return balanceSaved(argv, argc);
  std::fprintf(stderr,
               "usage: veldmark_balancing_bench save BASE ABSTRACT FLOWS ZONES FILE [ITERATIONS "
               "[GAP]]\n       veldmark_balancing_bench balance FILE RHO [THREADS [KAPPA "
               "[ITERATIONS|TOLERANCE]]]\n");
  return 2;
}
