#include "estimation/entropy/entropy_method.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "estimation/balancing/balancing_run.h"
#include "estimation/balancing/count_weights.h"
#include "estimation/balancing/cross_validation.h"
#include "estimation/entropy/newton_cg.h"
#include "estimation/entropy/trip_end_factors.h"

namespace veldmark {
namespace {

std::string percent(double share) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f%%", 100.0 * share);
  return text;
}

// What a balancing reports: its steps, whether it met its test, its measure.
struct BalanceTrace {
  int steps = 0;       // Newton steps, or L-BFGS iterations
  int innerSteps = 0;  // conjugate-gradient steps, or objective evaluations
  bool converged = false;
  double measure = 0.0;  // ‖∇D‖ / max(‖v‖, 1), or ‖∂F/∂v‖∞ in the scaled unknowns
  Status status;         // the solver refused the problem
  const char* stop = "";  // why it stopped
};

// The plain balancing (no trip-end factors) through its dual by Newton–CG,
// warm-started from and leaving its multipliers in `lambda`.
BalanceTrace balanceDual(const LevelProblem& problem, const std::vector<double>& weights,
                         std::vector<double>& lambda, std::vector<double>& table,
                         std::vector<double>& volumes) {
  const EntropyProblem dual{problem.routes,
                            problem.prior,
                            problem.counts,
                            weights,
                            std::numeric_limits<double>::infinity(),
                            problem.team};
  const NewtonTrace trace = minimiseDual(dual, NewtonSettings{}, lambda, table, volumes);
  return BalanceTrace{trace.steps,
                      trace.cgSteps,
                      trace.converged,
                      trace.relativeGradient,
                      {},
                      trace.converged ? "converged"
                      : trace.stalled ? "line search stalled"
                                      : "iteration limit"};
}

// The balancing of the prior on `problem`'s routes with weights w and
// trip-end weight ρ: with trip-end factors by L-BFGS (trip_end_factors.h),
// or, when ρ or a weight is +inf, plain through the dual.
BalanceTrace balance(const LevelProblem& problem, const std::vector<double>& weights, double rho,
                     std::vector<double>& lambda, std::vector<double>& table,
                     std::vector<double>& volumes) {
  const bool hard =
      std::any_of(weights.begin(), weights.end(), [](double w) { return std::isinf(w); });
  if (hard || std::isinf(rho)) return balanceDual(problem, weights, lambda, table, volumes);
  const TripEndProblem factors{problem.routes, problem.prior, problem.zoneCount, problem.counts,
                               weights,        rho,           LbfgsSettings{},   problem.team};
  TripEndSolution solution;
  if (Status status = balanceWithTripEnds(factors, solution); !status.ok()) {
    return BalanceTrace{0, 0, false, 0.0, status};
  }
  table = std::move(solution.table);
  volumes = std::move(solution.volumes);
  const LbfgsResult& run = solution.minimiser;
  const bool converged = run.stop != LbfgsStop::kIterations && run.stop != LbfgsStop::kNonFinite;
  return BalanceTrace{run.iterations,         run.evaluations, converged, run.gradientNorm, {},
                      lbfgsStopName(run.stop)};
}

// The held-out fit of κ: each fold's counts left out in turn (crossValidate).
WeightTrial heldOutTrial(const LevelProblem& problem, double kappa, double rho,
                         const std::vector<int>& folds) {
  std::vector<double> lambda, table;
  WeightTrial trial =
      crossValidate(folds, kFolds, problem.counts,
                    [&](int, const std::vector<std::uint8_t>& use, std::vector<double>& volumes) {
                      const std::vector<double> weights = countWeights(kappa, problem.counts, use);
                      lambda.assign(problem.counts.size(), 0.0);
                      return balance(problem, weights, rho, lambda, table, volumes).converged;
                    });
  trial.countWeight = kappa;
  return trial;
}

// The held-out fit of each κ in `tried` into `record` (with the folds); κ
// of the least held-out score is chosen (the first on a tie).
double chooseCountWeight(const LevelProblem& problem, const std::vector<double>& tried, double rho,
                         BalancingRecord& record) {
  record.folds = kFolds;
  const std::vector<int> folds = assignFolds(problem.hasCount, kFolds);
  record.trials.clear();
  record.chosenTrial = -1;
  for (const double kappa : tried) {
    const WeightTrial trial = heldOutTrial(problem, kappa, rho, folds);
    if (record.chosenTrial < 0 || trial.score < record.trials[record.chosenTrial].score) {
      record.chosenTrial = static_cast<int>(record.trials.size());
    }
    record.trials.push_back(trial);
  }
  return record.trials[record.chosenTrial].countWeight;
}

// "Count weight K[ chosen ...], trip-end weight R: held-out counts ...".
std::string weightLine(const BalancingRecord& record) {
  std::string line = "Count weight " + phaseNumber(record.countWeight);
  if (record.countWeightChosen && record.chosenTrial >= 0) {
    line += " chosen of " + std::to_string(record.trials.size()) + " by " +
            std::to_string(record.folds) + "-fold cross-validation";
  }
  line += std::isinf(record.tripEndWeight)
              ? ", no trip-end factors"
              : ", trip-end weight " + phaseNumber(record.tripEndWeight);
  if (!record.countWeightChosen) return line;
  if (record.chosenTrial < 0) return line + " (too few counts to hold any out)";
  const WeightTrial& chosen = record.trials[record.chosenTrial];
  return line + ": held-out counts within GEH 5 " + percent(chosen.shareGehBelow5) + ", R2 " +
         phaseNumber(chosen.rSquared);
}

std::string balancedLine(const LevelRecord& level, bool factors) {
  const std::string steps =
      factors ? std::to_string(level.steps) + " L-BFGS iterations (" +
                    std::to_string(level.innerSteps) + " evaluations), gradient "
              : std::to_string(level.steps) + " Newton steps (" + std::to_string(level.innerSteps) +
                    " conjugate-gradient steps), relative gradient ";
  return "Balanced: " + steps + phaseNumber(level.measure) +
         (level.converged ? "" : " (tolerance not met)");
}

}  // namespace

Status estimateByEntropy(const BalancingInputs& inputs, const BalancingSettings& settings,
                         Estimate& estimate) {
  std::vector<double> lambda;
  const double rho = settings.tripEndWeight;
  const auto balancer = [&](const LevelProblem& problem, std::vector<double>& table,
                            LevelRecord& level, BalancingRecord& record) {
    if (problem.level == 1) {
      record.tripEndWeight = rho;
      record.countWeightChosen = countWeightFromData(settings);
      record.countWeight = record.countWeightChosen ? kDefaultCountWeight : settings.countWeight;
      lambda.assign(problem.counts.size(), 0.0);
      // --count-weight auto: the held-out fit of each weight tried, the best kept.
      if (record.countWeightChosen && record.countedLinks >= 2 * kFolds) {
        const std::vector<double> tried(std::begin(kCountWeightsTried),
                                        std::end(kCountWeightsTried));
        record.countWeight = chooseCountWeight(problem, tried, rho, record);
      }
      if (settings.onPhase) settings.onPhase(weightLine(record));
    }
    const std::vector<double> weights =
        countWeights(record.countWeight, problem.counts, problem.hasCount);
    std::vector<double> volumes;
    const BalanceTrace trace = balance(problem, weights, rho, lambda, table, volumes);
    if (!trace.status.ok()) return trace.status;
    level.steps = trace.steps;
    level.innerSteps = trace.innerSteps;
    level.converged = trace.converged;
    level.measure = trace.measure;
    level.stop = trace.stop;
    if (settings.onPhase)
      settings.onPhase(balancedLine(level, !std::isinf(rho) && !std::isinf(record.countWeight)));
    if (!trace.converged && std::isinf(record.countWeight)) {
      return Status{
          "the counts cannot be met exactly on these routes: the balancing's "
          "multipliers did not converge in " +
          std::to_string(trace.steps) + " Newton steps (relative gradient " +
          phaseNumber(trace.measure) + "); give a finite --count-weight"};
    }
    return Status{};
  };
  const int levels = settings.levels > 0 ? settings.levels : kEntropyLevels;
  return runBalancing(EstimationMethod::kEntropy, inputs, settings, levels, balancer, estimate);
}

}  // namespace veldmark
