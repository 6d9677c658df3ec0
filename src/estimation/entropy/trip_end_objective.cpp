#include "estimation/entropy/trip_end_objective.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace veldmark {

bool withoutTripEnds(const TripEndProblem& problem) {
  return problem.tripEndWeight == kNoTripEnds;
}

int tripEndUnknowns(const TripEndProblem& problem) {
  const int pairs = problem.routes.pairCount();
  return withoutTripEnds(problem) ? pairs : 2 * problem.zoneCount + pairs;
}

void prepareTripEndScratch(const TripEndProblem& problem, TripEndScratch& scratch) {
  scratch.rowTotals.assign(problem.zoneCount, 0.0);
  scratch.columnTotals.assign(problem.zoneCount, 0.0);
  for (int p = 0; p < problem.routes.pairCount(); ++p) {
    const OdPair& pair = problem.routes.pairs[p];
    scratch.rowTotals[pair.origin] += problem.prior[p];          // R_o = Σ_{p from o} t_p
    scratch.columnTotals[pair.destination] += problem.prior[p];  // C_d = Σ_{p to d} t_p
  }
}

std::vector<double> tripEndScales(const TripEndProblem& problem, const TripEndScratch& scratch) {
  const RouteSet& routes = problem.routes;
  const int n = problem.zoneCount;
  const bool factors = !withoutTripEnds(problem);
  const int offset = factors ? 2 * n : 0;
  std::vector<double> curvature(tripEndUnknowns(problem), 0.0);
  for (int p = 0; p < routes.pairCount(); ++p) {
    double overlap = 0.0;  // d_p = Σ_r share_r² Σ_{c on r} w_c
    for (std::int64_t r = routes.firstRoute[p]; r < routes.firstRoute[p + 1]; ++r) {
      double weights = 0.0;
      for (std::int64_t k = routes.firstLink[r]; k < routes.firstLink[r + 1]; ++k) {
        weights += problem.weights[routes.routeLinks[k]];
      }
      overlap += routes.shares[r] * routes.shares[r] * weights;
    }
    const double t = problem.prior[p];
    const double data = t * t * overlap;
    curvature[offset + p] = t + data;  // h_γp = t_p + t_p² d_p
    if (factors) {
      curvature[routes.pairs[p].origin] += data;
      curvature[n + routes.pairs[p].destination] += data;
    }
  }
  if (factors) {
    for (int z = 0; z < n; ++z) {
      curvature[z] += problem.tripEndWeight * scratch.rowTotals[z];         // + ρ R_o
      curvature[n + z] += problem.tripEndWeight * scratch.columnTotals[z];  // + ρ C_d
    }
  }
  for (double& h : curvature) {
    h = h > 0.0 ? 1.0 / std::sqrt(h) : 1.0;
  }
  return curvature;
}

namespace {

// φ(s) = s eˢ − eˢ + 1, from e = eˢ.
double phi(double s, double e) {
  return s * e - e + 1.0;
}

// t̃ = t ∘ exp(α_o + β_d), eγ and x = t̃ ∘ eγ into scratch.
void scaleTable(const TripEndProblem& problem, const std::vector<double>& u,
                TripEndScratch& scratch) {
  const int pairs = problem.routes.pairCount();
  const int n = problem.zoneCount;
  const bool factors = !withoutTripEnds(problem);
  const int offset = factors ? 2 * n : 0;
  scratch.scaledPrior.resize(pairs);
  scratch.table.resize(pairs);
  scratch.growth.resize(pairs);
  for (int p = 0; p < pairs; ++p) {
    double scaled = problem.prior[p];
    if (factors) {
      const OdPair& pair = problem.routes.pairs[p];
      scaled *= std::exp(u[pair.origin] + u[n + pair.destination]);  // t̃_p = t_p e^{α_o + β_d}
    }
    scratch.growth[p] = std::exp(u[offset + p]);
    scratch.scaledPrior[p] = scaled;
    scratch.table[p] = scaled * scratch.growth[p];  // x_p = t̃_p e^{γ_p}
  }
}

// r = w ∘ (V − v) into scratch.residuals; returns ½ Σ_c w_c (V_c − v_c)².
double countMisfit(const TripEndProblem& problem, TripEndScratch& scratch) {
  const int links = problem.routes.linkCount;
  scratch.residuals.resize(links);
  double sum = 0.0;
  for (int c = 0; c < links; ++c) {
    if (problem.weights[c] == 0.0) {
      scratch.residuals[c] = 0.0;  // left out: V_c may even be +inf here
      continue;
    }
    const double miss = scratch.volumes[c] - problem.counts[c];
    scratch.residuals[c] = problem.weights[c] * miss;  // r_c = w_c (V_c − v_c)
    sum += scratch.residuals[c] * miss;
  }
  return 0.5 * sum;
}

// ρ Σ_z T_z φ(a_z) with its gradient ρ T_z a_z e^{a_z} added to gradient[offset + z].
double tripEndTerm(double rho, const std::vector<double>& totals, const std::vector<double>& u,
                   int offset, std::vector<double>& gradient) {
  double sum = 0.0;
  for (std::size_t z = 0; z < totals.size(); ++z) {
    const double a = u[offset + z];
    const double e = std::exp(a);
    sum += totals[z] * phi(a, e);
    gradient[offset + z] += rho * totals[z] * a * e;
  }
  return rho * sum;
}

}  // namespace

double tripEndObjective(const TripEndProblem& problem, const std::vector<double>& u,
                        std::vector<double>& gradient, TripEndScratch& scratch) {
  const int pairs = problem.routes.pairCount();
  const int n = problem.zoneCount;
  const bool factors = !withoutTripEnds(problem);
  const int offset = factors ? 2 * n : 0;
  scaleTable(problem, u, scratch);
  loadPairs(problem.routes, scratch.table, scratch.volumes, problem.team);  // V = P x
  double value = countMisfit(problem, scratch);
  sumAlongPairs(problem.routes, scratch.residuals, scratch.along, problem.team);  // Pᵀ r

  // --- The cells: g_p = x_p (Pᵀ r)_p, ∂F/∂γ_p = g_p + t̃_p γ_p e^{γ_p},
  //     δ_p = g_p + t̃_p φ(γ_p) summed into ∂F/∂α_o and ∂F/∂β_d.
  gradient.assign(tripEndUnknowns(problem), 0.0);
  double cells = 0.0;
  for (int p = 0; p < pairs; ++p) {
    const double gamma = u[offset + p];
    const double e = scratch.growth[p];
    const double scaled = scratch.scaledPrior[p];
    const double g = scratch.table[p] * scratch.along[p];
    const double cell = scaled * phi(gamma, e);
    cells += cell;
    gradient[offset + p] = g + scaled * gamma * e;
    if (factors) {
      const OdPair& pair = problem.routes.pairs[p];
      gradient[pair.origin] += g + cell;
      gradient[n + pair.destination] += g + cell;
    }
  }
  value += cells;
  if (factors) {
    value += tripEndTerm(problem.tripEndWeight, scratch.rowTotals, u, 0, gradient);
    value += tripEndTerm(problem.tripEndWeight, scratch.columnTotals, u, n, gradient);
  }
  return value;
}

}  // namespace veldmark
