// Balancing a prior to soft counts with trip-end factors: every pair p = (o, d)
// with prior t_p > 0 gets
//   x_p = t_p · exp(α_o + β_d + γ_p)
// where α scales origin o's row, β destination d's column and γ the cell, at
//   minimise F(α, β, γ) = ½ Σ_c w_c (V_c − v_c)²                   (V = P x)
//                       + Σ_p t̃_p φ(γ_p)                            (t̃_p = t_p e^{α_o + β_d})
//                       + ρ [ Σ_o R_o φ(α_o) + Σ_d C_d φ(β_d) ],    φ(s) = s eˢ − eˢ + 1
// with R_o, C_d the prior's row and column totals over the pairs. The cell term
// is the information of x against the scaled prior t̃ (KL(x ‖ t̃)), the trip-end
// terms that of the scaled trip ends against the prior's: a whole row (a stale
// origin) moves by one α_o at the price of one trip end, not of each cell.
// ρ = +inf fixes α = β = 0: the plain soft entropy balancing in γ. Solved by
// L-BFGS (numeric/lbfgs.h) from α = β = γ = 0 (x = t), in unknowns scaled by
// a diagonal estimate of F's curvature there (trip_end_objective.h's
// tripEndScales): unscaled, the prior's spread of cell sizes and the rows'
// weight against the cells took 10 to 40 times the iterations.
#pragma once

#include <limits>
#include <vector>

#include "assignment/route_set.h"
#include "numeric/lbfgs.h"
#include "numeric/thread_team.h"
#include "veldmark/types.h"

namespace veldmark {

/// ρ = +inf: no trip-end factors (α = β = 0), the plain soft balancing in γ.
inline constexpr double kNoTripEnds = std::numeric_limits<double>::infinity();

// The problem; every reference is read only and must outlive the solve.
struct TripEndProblem {
  const RouteSet& routes;  // P: routes.linkCount = counted links c, routeLinks index them;
                           //   routes.pairs[p] = (o, d), zone indices < zoneCount
  const std::vector<double>& prior;    // t per pair (routes.pairs order), finite and > 0
  int zoneCount = 0;                   // N: α and β have N entries each
  const std::vector<double>& counts;   // v per counted link, finite
  const std::vector<double>& weights;  // w per counted link, finite and >= 0 (0: the count is left
                                       //   out, e.g. held out of a fold; +inf is refused)
  double tripEndWeight = 0.1;          // ρ > 0; +inf: no trip-end factors (α = β = 0)
  LbfgsSettings settings;  // the minimiser's memory, tolerances, iteration cap; its gradient
                           //   tolerance applies to ∂F/∂v in the scaled unknowns v = u / scale
  ThreadTeam* team = nullptr;  // shares the products V = P x and Pᵀ r; null: the caller
};

struct TripEndSolution {
  std::vector<double> table;               // x per pair
  std::vector<double> volumes;             // V = P x per counted link (left-out links included)
  std::vector<double> originFactors;       // α per zone (0 for a zone without pairs, or ρ = +inf)
  std::vector<double> destinationFactors;  // β per zone (likewise)
  LbfgsResult minimiser;  // iterations, evaluations, final F, ‖∂F/∂v‖∞ (scaled), stop reason
};

/// Minimises F for `problem` from x = t and writes the minimiser into
/// `solution` (every member replaced). The result is the same bits at any
/// team size, and with a null team. Returns an error (and leaves `solution`
/// unspecified) when the sizes disagree, a prior cell is not finite and > 0,
/// a pair's zone is out of range, a count is not finite, a weight is not
/// finite and >= 0, or ρ is not > 0 (NaN included). A solve that stops short
/// of the tolerance (iteration cap, stalled line search) is not an error: the
/// stop reason says so. Memory: about (2 · memory + 14) · (2N + pairs)
/// doubles (pairs alone when ρ = +inf) plus loadPairs' block sums. Prints nothing.
Status balanceWithTripEnds(const TripEndProblem& problem, TripEndSolution& solution);

}  // namespace veldmark
