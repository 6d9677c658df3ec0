#include "estimation/entropy/trip_end_factors.h"

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "estimation/entropy/trip_end_objective.h"

namespace veldmark {

namespace {

Status fault(const std::string& what) {
  return Status{"trip-end balancing: " + what};
}

// Every rule balanceWithTripEnds' contract names, in its order.
Status checkProblem(const TripEndProblem& problem) {
  const RouteSet& routes = problem.routes;
  const std::size_t links = static_cast<std::size_t>(routes.linkCount);
  if (problem.prior.size() != static_cast<std::size_t>(routes.pairCount()) ||
      problem.counts.size() != links || problem.weights.size() != links || problem.zoneCount < 0) {
    return fault("the prior, counts and weights do not match the routes' pairs and links");
  }
  for (int p = 0; p < routes.pairCount(); ++p) {
    const OdPair& pair = routes.pairs[p];
    if (!(std::isfinite(problem.prior[p]) && problem.prior[p] > 0.0)) {
      return fault("pair " + std::to_string(p) + "'s prior is not a finite positive number");
    }
    if (pair.origin < 0 || pair.origin >= problem.zoneCount || pair.destination < 0 ||
        pair.destination >= problem.zoneCount) {
      return fault("pair " + std::to_string(p) + " joins a zone out of range");
    }
  }
  for (std::size_t c = 0; c < links; ++c) {
    if (!std::isfinite(problem.counts[c])) {
      return fault("count " + std::to_string(c) + " is not finite");
    }
    if (!(std::isfinite(problem.weights[c]) && problem.weights[c] >= 0.0)) {
      return fault("count " + std::to_string(c) + "'s weight is not finite and >= 0");
    }
  }
  if (!(problem.tripEndWeight > 0.0)) {
    return fault("the trip-end weight is not > 0");
  }
  const LbfgsSettings& settings = problem.settings;
  if (settings.memory < 1 || settings.past < 1 || settings.maxIterations < 0 ||
      settings.maxLineSteps < 1) {
    return fault("the minimiser's settings are out of range");
  }
  return Status{};
}

}  // namespace

Status balanceWithTripEnds(const TripEndProblem& problem, TripEndSolution& solution) {
  if (Status status = checkProblem(problem); !status.ok()) {
    return status;
  }
  TripEndScratch scratch;
  prepareTripEndScratch(problem, scratch);
  // L-BFGS works in v = u / scale from v = 0 (α = β = γ = 0: x = t).
  const std::vector<double> scales = tripEndScales(problem, scratch);
  std::vector<double> u(scales.size());
  const LbfgsObjective objective = [&](const std::vector<double>& v,
                                       std::vector<double>& gradient) {
    for (std::size_t i = 0; i < u.size(); ++i) {
      u[i] = scales[i] * v[i];  // u = scale ∘ v
    }
    const double value = tripEndObjective(problem, u, gradient, scratch);
    for (std::size_t i = 0; i < u.size(); ++i) {
      gradient[i] *= scales[i];  // ∂F/∂v = scale ∘ ∂F/∂u
    }
    return value;
  };
  std::vector<double> v(scales.size(), 0.0);
  solution.minimiser = minimiseLbfgs(objective, problem.settings, v);
  for (std::size_t i = 0; i < u.size(); ++i) {
    u[i] = scales[i] * v[i];
  }

  // The line search's last trial need not be the point returned: evaluate
  // there once more for its table and volumes.
  std::vector<double> gradient;
  tripEndObjective(problem, u, gradient, scratch);
  solution.table = scratch.table;
  solution.volumes = scratch.volumes;
  const int n = problem.zoneCount;
  solution.originFactors.assign(n, 0.0);
  solution.destinationFactors.assign(n, 0.0);
  if (!withoutTripEnds(problem)) {
    for (int z = 0; z < n; ++z) {
      solution.originFactors[z] = u[z];
      solution.destinationFactors[z] = u[n + z];
    }
  }
  return Status{};
}

}  // namespace veldmark
