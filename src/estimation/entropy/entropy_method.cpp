#include "estimation/entropy/entropy_method.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "estimation/balancing/balancing_run.h"
#include "estimation/balancing/count_weights.h"
#include "estimation/balancing/cross_validation.h"
#include "estimation/entropy/newton_cg.h"

namespace veldmark {
namespace {

// κ when there are too few counts to hold some out.
constexpr double kFallbackCountWeight = 10.0;

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", value);
  return text;
}

std::string percent(double share) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f%%", 100.0 * share);
  return text;
}

// The balancing of the prior on `problem`'s routes with weights w.
NewtonTrace balance(const LevelProblem& problem, const std::vector<double>& weights,
                    std::vector<double>& lambda, std::vector<double>& table,
                    std::vector<double>& volumes) {
  const EntropyProblem dual{problem.routes,
                            problem.prior,
                            problem.counts,
                            weights,
                            std::numeric_limits<double>::infinity(),
                            problem.team};
  return minimiseDual(dual, NewtonSettings{}, lambda, table, volumes);
}

// κ by cross-validation over kCountWeightsTried (the trials go to `record`):
// the weight of the least held-out score, the smaller on a tie.
double chooseCountWeight(const LevelProblem& problem, BalancingRecord& record) {
  record.folds = kFolds;
  const std::vector<int> folds = assignFolds(problem.hasCount, kFolds);
  const std::size_t links = problem.counts.size();
  std::vector<std::vector<double>> lambdas(kFolds, std::vector<double>(links, 0.0));
  std::vector<double> table;
  double best = kFallbackCountWeight;
  record.trials.clear();
  record.chosenTrial = -1;
  for (const double kappa : kCountWeightsTried) {
    WeightTrial trial = crossValidate(
        folds, kFolds, problem.counts,
        [&](int fold, const std::vector<std::uint8_t>& use, std::vector<double>& volumes) {
          const std::vector<double> weights = countWeights(kappa, problem.counts, use);
          return balance(problem, weights, lambdas[fold], table, volumes).converged;
        });
    trial.countWeight = kappa;
    if (record.chosenTrial < 0 || trial.score < record.trials[record.chosenTrial].score) {
      best = kappa;
      record.chosenTrial = static_cast<int>(record.trials.size());
    }
    record.trials.push_back(trial);
  }
  return best;
}

std::string weightLine(const BalancingRecord& record) {
  if (!record.countWeightChosen) return "Count weight " + number(record.countWeight) + " (given)";
  if (record.chosenTrial < 0) {
    return "Count weight " + number(record.countWeight) + " (too few counts to hold any out)";
  }
  const WeightTrial& chosen = record.trials[record.chosenTrial];
  return "Count weight " + number(record.countWeight) + " chosen of " +
         std::to_string(record.trials.size()) + " by " + std::to_string(record.folds) +
         "-fold cross-validation: held-out counts within GEH 5 " + percent(chosen.shareGehBelow5) +
         ", R2 " + number(chosen.rSquared);
}

std::string balancedLine(const LevelRecord& level) {
  return "Balanced: " + std::to_string(level.steps) + " Newton steps (" +
         std::to_string(level.innerSteps) + " conjugate-gradient steps), relative gradient " +
         number(level.measure) + (level.converged ? "" : " (tolerance not met)");
}

}  // namespace

Status estimateByEntropy(const BalancingInputs& inputs, const BalancingSettings& settings,
                         Estimate& estimate) {
  std::vector<double> lambda;
  const auto balancer = [&](const LevelProblem& problem, std::vector<double>& table,
                            LevelRecord& level, BalancingRecord& record) {
    if (problem.level == 1) {
      record.countWeightChosen = countWeightFromData(settings);
      record.countWeight = settings.countWeight;
      if (record.countWeightChosen) record.countWeight = kFallbackCountWeight;
      lambda.assign(problem.counts.size(), 0.0);
      if (record.countWeightChosen && record.countedLinks >= 2 * kFolds) {
        record.countWeight = chooseCountWeight(problem, record);
      }
      if (settings.onPhase) settings.onPhase(weightLine(record));
    }
    const std::vector<double> weights =
        countWeights(record.countWeight, problem.counts, problem.hasCount);
    std::vector<double> volumes;
    const NewtonTrace trace = balance(problem, weights, lambda, table, volumes);
    level.steps = trace.steps;
    level.innerSteps = trace.cgSteps;
    level.converged = trace.converged;
    level.measure = trace.relativeGradient;
    if (settings.onPhase) settings.onPhase(balancedLine(level));
    if (!trace.converged && std::isinf(record.countWeight)) {
      return Status{
          "the counts cannot be met exactly on these routes: the balancing's "
          "multipliers did not converge in " +
          std::to_string(trace.steps) + " Newton steps (relative gradient " +
          number(trace.relativeGradient) + "); give a finite --count-weight"};
    }
    return Status{};
  };
  const int levels = settings.levels > 0 ? settings.levels : kEntropyLevels;
  return runBalancing(EstimationMethod::kEntropy, inputs, settings, levels, balancer, estimate);
}

}  // namespace veldmark
