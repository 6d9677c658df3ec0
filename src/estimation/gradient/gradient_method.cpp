#include "estimation/gradient/gradient_method.h"

#include <cstdio>
#include <string>

#include "estimation/balancing/balancing_run.h"
#include "estimation/gradient/gradient_adjustment.h"

namespace veldmark {
namespace {

std::string adjustedLine(const LevelRecord& level) {
  return "Adjusted: " + std::to_string(level.steps) + " gradient steps, squared misfit " +
         phaseNumber(level.startMeasure) + " to " + phaseNumber(level.measure) +
         (level.converged ? "" : " (step limit)");
}

}  // namespace

Status estimateByGradient(const BalancingInputs& inputs, const BalancingSettings& settings,
                          Estimate& estimate) {
  const auto balancer = [&](const LevelProblem& problem, std::vector<double>& table,
                            LevelRecord& level, BalancingRecord&) {
    GradientSettings gradient;
    gradient.maxIterations = settings.maxIterations;
    std::vector<double> volumes;
    const GradientTrace trace = adjustByGradient(problem.routes, problem.counts, problem.hasCount,
                                                 gradient, table, volumes, problem.team);
    level.steps = trace.iterations;
    level.converged = trace.stop != GradientStop::kIterationCap;
    level.measure = trace.objective;
    level.startMeasure = trace.firstObjective;
    if (settings.onPhase) settings.onPhase(adjustedLine(level));
    return Status{};
  };
  const int levels = settings.levels > 0 ? settings.levels : kGradientLevels;
  return runBalancing(EstimationMethod::kGradient, inputs, settings, levels, balancer, estimate);
}

}  // namespace veldmark
