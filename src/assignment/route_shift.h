// The inner step of the gradient projection: flow of one zone pair moved
// from its costlier routes to its cheapest by Newton steps, the link
// volumes and costs updated as it goes.
#pragma once

#include <cstdint>
#include <vector>

#include "assignment/link_cost.h"

namespace veldmark {

// A route of a pair while the assignment runs.
struct WorkingRoute {
  std::vector<std::int32_t> links;  // link indices, origin to destination
  double flow = 0.0;                // trips on it
};

// The link state the shifts read and update, and their scratch.
struct LinkState {
  std::vector<double> volume;       // v_a
  std::vector<double> cost;         // c_a(v_a)
  std::vector<double> derivative;   // c'_a(v_a)
  std::vector<std::uint64_t> mark;  // per link, the stamp of the route last marked
  std::uint64_t stamp = 0;
};

/// Sets link a's volume to `volume` (negative rounding residue taken as 0)
/// and its cost and derivative to match.
inline void setLinkVolume(const CostModel& model, LinkState& state, int a, double volume) {
  const double v = volume > 0.0 ? volume : 0.0;
  state.volume[a] = v;
  state.cost[a] = linkCost(model, a, v);
  state.derivative[a] = linkCostDerivative(model, a, v);
}

/// Equilibrates one pair's routes: finds the cheapest route r* at the
/// current costs, then for each other route r in order shifts
///   Δ = min(f_r, (c_r − c_r*) / Σ_{a ∈ r ⊕ r*} c'_a)
/// from r to r* (all of f_r when the sum of derivatives is 0: the links
/// that differ are flat), updating volumes, costs and derivatives of the
/// links that differ and the two routes' costs. Routes left without flow
/// are removed, except r* (the first cheapest, in route order). Returns the
/// total flow moved. REQUIRES: `routes` non-empty. Never allocates beyond
/// the routes' own storage; prints nothing.
double shiftPairFlow(const CostModel& model, LinkState& state, std::vector<WorkingRoute>& routes);

/// Σ_a c_a over a route's links, in order.
double routeCost(const LinkState& state, const std::vector<std::int32_t>& links);

}  // namespace veldmark
