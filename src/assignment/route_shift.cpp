#include "assignment/route_shift.h"

#include <algorithm>

namespace veldmark {
namespace {

// Marks the links of `links` with a new stamp and returns it.
std::uint64_t markLinks(LinkState& state, const std::vector<std::int32_t>& links) {
  const std::uint64_t stamp = ++state.stamp;
  for (const std::int32_t a : links) state.mark[a] = stamp;
  return stamp;
}

// Σ c'_a over the links of `links` that do not carry `stamp`.
double derivativeOutside(const LinkState& state, const std::vector<std::int32_t>& links,
                         std::uint64_t stamp) {
  double sum = 0.0;
  for (const std::int32_t a : links) {
    if (state.mark[a] != stamp) sum += state.derivative[a];
  }
  return sum;
}

// Adds `change` to the volume of the links of `links` that do not carry `stamp`.
void moveOutside(const CostModel& model, LinkState& state, const std::vector<std::int32_t>& links,
                 std::uint64_t stamp, double change) {
  for (const std::int32_t a : links) {
    if (state.mark[a] != stamp) setLinkVolume(model, state, a, state.volume[a] + change);
  }
}

// Moves flow from route `from` to route `cheapest` by one Newton step.
// Returns the flow moved.
double shiftOne(const CostModel& model, LinkState& state, WorkingRoute& from,
                WorkingRoute& cheapest) {
  const double costFrom = routeCost(state, from.links);
  const double costCheapest = routeCost(state, cheapest.links);
  if (!(costFrom > costCheapest)) return 0.0;
  const std::uint64_t cheapestStamp = markLinks(state, cheapest.links);
  double curvature = derivativeOutside(state, from.links, cheapestStamp);
  const std::uint64_t fromStamp = markLinks(state, from.links);
  curvature += derivativeOutside(state, cheapest.links, fromStamp);
  // Δ = min(f_r, (c_r − c_r*) / Σ_{a ∈ r ⊕ r*} c'_a)
  double shift = from.flow;
  if (curvature > 0.0) shift = std::min(from.flow, (costFrom - costCheapest) / curvature);
  if (shift <= 0.0) return 0.0;
  moveOutside(model, state, cheapest.links, fromStamp, shift);
  const std::uint64_t cheapestAgain = markLinks(state, cheapest.links);
  moveOutside(model, state, from.links, cheapestAgain, -shift);
  from.flow = shift == from.flow ? 0.0 : from.flow - shift;
  cheapest.flow += shift;
  return shift;
}

}  // namespace

double routeCost(const LinkState& state, const std::vector<std::int32_t>& links) {
  double sum = 0.0;
  for (const std::int32_t a : links) sum += state.cost[a];
  return sum;
}

double shiftPairFlow(const CostModel& model, LinkState& state, std::vector<WorkingRoute>& routes) {
  const std::size_t count = routes.size();
  if (count < 2) return 0.0;
  std::size_t best = 0;
  double bestCost = routeCost(state, routes[0].links);
  for (std::size_t r = 1; r < count; ++r) {
    const double cost = routeCost(state, routes[r].links);
    if (cost < bestCost) {
      best = r;
      bestCost = cost;
    }
  }
  double moved = 0.0;
  for (std::size_t r = 0; r < count; ++r) {
    if (r != best && routes[r].flow > 0.0) moved += shiftOne(model, state, routes[r], routes[best]);
  }
  // Routes without flow leave the set; the cheapest stays.
  std::size_t kept = 0;
  for (std::size_t r = 0; r < count; ++r) {
    if (r != best && routes[r].flow <= 0.0) continue;
    if (kept != r) routes[kept] = std::move(routes[r]);
    ++kept;
  }
  routes.resize(kept);
  return moved;
}

}  // namespace veldmark
