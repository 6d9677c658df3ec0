#include "report/balancing_json.h"

#include <cmath>

namespace veldmark {
namespace {

using Json = nlohmann::ordered_json;

Json weightJson(double kappa) {
  if (std::isinf(kappa)) return Json("inf");
  return Json(kappa);
}

Json trialsJson(const BalancingRecord& record) {
  Json trials = Json::array();
  for (const WeightTrial& trial : record.trials) {
    trials.push_back(Json{{"count_weight", weightJson(trial.countWeight)},
                          {"held_out_share_geh_below_5", trial.shareGehBelow5},
                          {"held_out_r_squared", trial.rSquared},
                          {"held_out_score", trial.score},
                          {"converged", trial.converged}});
  }
  return trials;
}

Json levelsJson(const BalancingRecord& record) {
  Json levels = Json::array();
  for (std::size_t i = 0; i < record.levels.size(); ++i) {
    const LevelRecord& level = record.levels[i];
    levels.push_back(Json{{"level", i + 1},
                          {"assignment_gap", level.assignmentGap},
                          {"assignment_iterations", level.assignmentIterations},
                          {"assignment_capped", level.assignmentCapped},
                          {"assignment_seconds", level.assignmentSeconds},
                          {"routes", level.routes},
                          {"steps", level.steps},
                          {"inner_steps", level.innerSteps},
                          {"converged", level.converged},
                          {"stop", level.stop},
                          {"measure", level.measure},
                          {"start_measure", level.startMeasure},
                          {"balancing_seconds", level.balancingSeconds}});
  }
  return levels;
}

}  // namespace

nlohmann::ordered_json balancingJson(const BalancingRecord& record) {
  Json chosen = nullptr;
  if (record.chosenTrial >= 0) chosen = trialsJson(record)[record.chosenTrial];
  return Json{{"pairs", record.pairs},
              {"counted_links", record.countedLinks},
              {"flat_prior", record.flatPrior},
              {"flat_prior_level", record.flatPriorLevel},
              {"diagonal_trips", record.diagonalTrips},
              {"unreachable_pairs", record.unreachablePairs},
              {"unreachable_trips", record.unreachableTrips},
              {"count_weight", weightJson(record.countWeight)},
              {"count_weight_chosen", record.countWeightChosen},
              {"trip_end_weight", weightJson(record.tripEndWeight)},
              {"folds", record.folds},
              {"count_weights_tried", trialsJson(record)},
              {"held_out", chosen},
              {"levels", levelsJson(record)},
              {"route_bytes", record.routeBytes}};
}

}  // namespace veldmark
