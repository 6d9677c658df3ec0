// The trip-end factor model's objective and its gradient (trip_end_factors.h
// gives the model). With r_c = w_c (V_c − v_c), g_p = x_p (Pᵀ r)_p and
// δ_p = g_p + t̃_p φ(γ_p):
//   ∂F/∂γ_p = g_p + t̃_p γ_p e^{γ_p}
//   ∂F/∂α_o = Σ_{p from o} δ_p + ρ R_o α_o e^{α_o}
//   ∂F/∂β_d = Σ_{p to d} δ_p + ρ C_d β_d e^{β_d}
// The unknowns u are laid out as (α_0 .. α_{N−1}, β_0 .. β_{N−1}, γ_0 .. γ_{m−1})
// with trip-end factors, and as (γ_0 .. γ_{m−1}) alone when ρ = +inf.
#pragma once

#include <vector>

#include "estimation/entropy/trip_end_factors.h"

namespace veldmark {

// What an evaluation leaves behind besides F and ∇F, reused from call to call.
struct TripEndScratch {
  std::vector<double> rowTotals;     // R_o: the prior's total from each origin (N)
  std::vector<double> columnTotals;  // C_d: the prior's total to each destination (N)
  std::vector<double> scaledPrior;   // t̃ per pair
  std::vector<double> growth;        // e^{γ_p} per pair
  std::vector<double> table;         // x per pair
  std::vector<double> volumes;       // V = P x per counted link
  std::vector<double> residuals;     // r = w ∘ (V − v) per counted link
  std::vector<double> along;         // Pᵀ r per pair
};

/// True when ρ = +inf: u holds γ alone.
bool withoutTripEnds(const TripEndProblem& problem);

/// The number of unknowns: 2N + pairs, or pairs when ρ = +inf.
int tripEndUnknowns(const TripEndProblem& problem);

/// R and C from the prior into scratch.rowTotals and scratch.columnTotals
/// (sums in pair order). REQUIRES: the problem checked (balanceWithTripEnds' rules).
void prepareTripEndScratch(const TripEndProblem& problem, TripEndScratch& scratch);

/// The unknowns' scales for the minimiser, 1 / √h from a diagonal estimate h
/// of ∇²F at the start (u = 0, x = t), so that L-BFGS works in v = u / scale
/// where the curvatures are near 1 (the prior's cells span orders of
/// magnitude, a row's factor weighs a whole row):
///   h_γp = t_p + t_p² d_p,   h_αo = ρ R_o + Σ_{p from o} t_p² d_p,   h_βd likewise,
///   d_p = Σ_{routes r of p} share_r² Σ_{links c on r} w_c   (≈ (Pᵀ W P)_pp, the
/// routes' overlaps left out). A zero h (a zone without pairs) gets scale 1.
/// Sums in pair, route and link order. REQUIRES: prepareTripEndScratch called.
std::vector<double> tripEndScales(const TripEndProblem& problem, const TripEndScratch& scratch);

/// F(u), with ∇F(u) in `gradient` (resized), and t̃, x, V, r, Pᵀ r at u in
/// `scratch`. F or ∇F may be +inf or NaN where an exponential overflows
/// (the minimiser halves its step there). Every sum in index order on the
/// calling thread, the products through `problem.team`: the same bits at any
/// team size. REQUIRES: prepareTripEndScratch called; u.size() == tripEndUnknowns.
double tripEndObjective(const TripEndProblem& problem, const std::vector<double>& u,
                        std::vector<double>& gradient, TripEndScratch& scratch);

}  // namespace veldmark
