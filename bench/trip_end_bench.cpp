// One trip-end factor balancing on a synthetic problem of a given size
// (veldmark_trip_end_bench [ZONES [LINKS [LENGTH [RHO [THREADS [ITERATIONS]]]]]]):
// every pair among ZONES zones (o ≠ d) on one or two random routes of up to
// LENGTH of LINKS counted links; a lognormal prior; counts from a truth that
// scales each origin's row by a factor in [0.6, 1.4] with ±10 % noise;
// w = 1 / max(v, 1). Prints the size, the solve's time, its iterations and
// stop reason, and the peak resident memory. Defaults: Chicago Sketch's
// size (387 zones, 900 counted links, 8 counted links a route at most,
// ρ = 0.1, 1 thread, 3000 iterations).
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "assignment/route_set.h"
#include "estimation/entropy/trip_end_factors.h"
#include "numeric/thread_team.h"

using namespace veldmark;

int main(int argc, char** argv) {
  const int zones = argc > 1 ? std::atoi(argv[1]) : 387;
  const int links = argc > 2 ? std::atoi(argv[2]) : 900;
  const int length = argc > 3 ? std::atoi(argv[3]) : 8;
  const double rho = argc > 4 ? std::atof(argv[4]) : 0.1;
  const int threads = argc > 5 ? std::atoi(argv[5]) : 1;
  const int iterations = argc > 6 ? std::atoi(argv[6]) : 3000;

  std::mt19937 random(17);
  std::uniform_int_distribution<int> routeCount(1, 2), routeLength(0, length), link(0, links - 1);
  std::uniform_real_distribution<double> share(0.2, 0.8), rowFactor(0.6, 1.4), noise(0.9, 1.1);
  std::lognormal_distribution<double> trips(0.0, 1.0);
  RouteSet routes;
  routes.linkCount = links;
  routes.firstRoute = {0};
  routes.firstLink = {0};
  std::vector<double> prior, truth;
  std::vector<double> factors(zones);
  for (double& f : factors) f = rowFactor(random);
  for (int o = 0; o < zones; ++o) {
    for (int d = 0; d < zones; ++d) {
      if (o == d) continue;
      std::vector<std::vector<std::int32_t>> paths(routeCount(random));
      for (auto& path : paths) {
        for (int k = routeLength(random); k > 0; --k) path.push_back(link(random));
      }
      const double first = share(random);
      const std::vector<double> shares =
          paths.size() == 1 ? std::vector<double>{1.0} : std::vector<double>{first, 1.0 - first};
      appendPair(routes, OdPair{o, d}, paths, shares);
      prior.push_back(10.0 * trips(random));
      truth.push_back(prior.back() * factors[o] * noise(random));
    }
  }
  std::vector<double> counts, weights;
  loadPairs(routes, truth, counts, nullptr);
  for (double& v : counts) {
    v *= noise(random);
    weights.push_back(1.0 / std::max(v, 1.0));
  }

  ThreadTeam team(threads);
  LbfgsSettings settings;
  settings.maxIterations = iterations;
  const TripEndProblem problem{routes, prior, zones, counts, weights, rho, settings, &team};
  TripEndSolution solution;
  const auto start = std::chrono::steady_clock::now();
  const Status status = balanceWithTripEnds(problem, solution);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!status.ok()) {
    std::fprintf(stderr, "%s\n", status.message.c_str());
    return 1;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("zones %d pairs %d counted links %d routes %lld route links %zu rho %g threads %d\n",
              zones, routes.pairCount(), links, static_cast<long long>(routes.routeCount()),
              routes.routeLinks.size(), rho, threads);
  std::printf(
      "solve %.2f s: %d iterations, %d evaluations (%.1f ms each), F %.6g, |grad|inf %.3g, "
      "stop: %s; peak RSS %.0f MB\n",
      seconds, solution.minimiser.iterations, solution.minimiser.evaluations,
      1000.0 * seconds / solution.minimiser.evaluations, solution.minimiser.value,
      solution.minimiser.gradientNorm, lbfgsStopName(solution.minimiser.stop),
      usage.ru_maxrss / 1024.0);
  return 0;
}
