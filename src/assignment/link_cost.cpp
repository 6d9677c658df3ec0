#include "assignment/link_cost.h"

namespace veldmark {

CostModel makeCostModel(const RoadNetwork& network, double tollFactor, double distanceFactor) {
  CostModel model;
  const int links = network.linkCount();
  model.freeFlowTime = network.freeFlowTime;
  model.power = network.power;
  model.curve.resize(links);
  model.capacity.resize(links);
  model.fixedCost.resize(links);
  for (int a = 0; a < links; ++a) {
    model.curve[a] = network.freeFlowTime[a] * network.b[a];
    model.capacity[a] = model.curve[a] == 0.0 ? 1.0 : network.capacity[a];
    model.fixedCost[a] = tollFactor * network.toll[a] + distanceFactor * network.length[a];
  }
  return model;
}

double linkCostIntegral(const CostModel& model, int a, double volume) {
  // ∫₀ᵛ c = fft · v + fft · b · cap / (p + 1) · (v / cap)^(p+1) + fixed · v
  double integral = (model.freeFlowTime[a] + model.fixedCost[a]) * volume;
  if (model.curve[a] == 0.0) return integral;
  const double p = model.power[a];
  return integral + model.curve[a] * model.capacity[a] / (p + 1.0) *
                        std::pow(volume / model.capacity[a], p + 1.0);
}

}  // namespace veldmark
