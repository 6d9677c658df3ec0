// The cost of a link at a volume, its derivative and its integral (the
// objective's term):
//   c(v)  = fft · (1 + b · (v / cap)^p) + tollFactor · toll + distanceFactor · length
//   c'(v) = fft · b · p · v^(p-1) / cap^p
//   ∫₀ᵛ c = fft · (v + b · cap / (p + 1) · (v / cap)^(p+1)) + (c(0) - fft) · v
// A link with b = 0 (or fft = 0) has a flat cost: c' = 0, and its capacity
// is never read (it may be 0).
#pragma once

#include <cmath>
#include <vector>

#include "network/road_network.h"

namespace veldmark {

// The per-link constants of the cost, in the network's link order.
struct CostModel {
  std::vector<double> freeFlowTime;  // fft
  std::vector<double> curve;         // fft · b: 0 for a flat link
  std::vector<double> capacity;      // cap (1 where the curve is 0)
  std::vector<double> power;         // p
  std::vector<double> fixedCost;     // tollFactor · toll + distanceFactor · length
};

/// The cost constants of `network`'s links. Allocates; prints nothing.
CostModel makeCostModel(const RoadNetwork& network, double tollFactor, double distanceFactor);

/// x^p, where p = 4 (the usual power) as (x·x)·(x·x) and p = 1 as x
/// (each rounded as written; for other p, std::pow).
inline double curvePower(double x, double p) {
  if (p == 4.0) {
    const double square = x * x;
    return square * square;
  }
  return p == 1.0 ? x : std::pow(x, p);
}

/// c(v) of link `a`.
inline double linkCost(const CostModel& model, int a, double volume) {
  const double base = model.freeFlowTime[a] + model.fixedCost[a];
  if (model.curve[a] == 0.0) return base;
  return base + model.curve[a] * curvePower(volume / model.capacity[a], model.power[a]);
}

/// c'(v) of link `a` (0 for a flat link, and at v = 0 when p > 1), with
/// x^(p-1) for p = 4 as (x·x)·x.
inline double linkCostDerivative(const CostModel& model, int a, double volume) {
  if (model.curve[a] == 0.0 || model.power[a] == 0.0) return 0.0;
  const double p = model.power[a];
  const double x = volume / model.capacity[a];
  const double rise = p == 4.0 ? x * x * x : p == 1.0 ? 1.0 : std::pow(x, p - 1.0);
  return model.curve[a] * p * rise / model.capacity[a];
}

/// ∫₀ᵛ c(s) ds of link `a`.
double linkCostIntegral(const CostModel& model, int a, double volume);

/// The relative gap (Σ_a v_a c_a − Σ_od T_od SP_od) / Σ_a v_a c_a from its
/// two sums: `totalCost` = Σ_a v_a c_a, `shortestCost` = Σ_od T_od SP_od.
/// 0 when totalCost is 0 (nothing loaded, or every loaded route free).
inline double relativeGap(double totalCost, double shortestCost) {
  return totalCost > 0.0 ? (totalCost - shortestCost) / totalCost : 0.0;
}

}  // namespace veldmark
