#include "estimation/entropy/entropy_dual.h"

#include <cmath>

namespace veldmark {
namespace {

// ln M, or +inf without a limit.
double exponentLimit(const EntropyProblem& problem) {
  return std::log(problem.ratioLimit);
}

}  // namespace

void dualTable(const EntropyProblem& problem, const std::vector<double>& lambda,
               std::vector<double>& table, std::vector<double>& along) {
  sumAlongPairs(problem.routes, lambda, along, problem.team);
  const std::size_t pairs = problem.prior.size();
  table.resize(pairs);
  const double limit = exponentLimit(problem);
  for (std::size_t p = 0; p < pairs; ++p) {
    const double exponent = std::fmin(std::fmax(-along[p], -limit), limit);
    table[p] = problem.prior[p] * std::exp(exponent);  // x_p = t_p · exp(clip(−(Pᵀλ)_p))
  }
}

double dualValue(const EntropyProblem& problem, const std::vector<double>& lambda,
                 const std::vector<double>& table, const std::vector<double>& along) {
  const double limit = exponentLimit(problem);
  double value = 0.0;
  for (std::size_t p = 0; p < table.size(); ++p) {
    if (-along[p] > limit) {
      value += table[p] * (1.0 - limit - along[p]);  // x (1 − ln M − s), x = M t
    } else if (-along[p] < -limit) {
      value += table[p] * (1.0 + limit - along[p]);  // x (1 + ln M − s), x = t / M
    } else {
      value += table[p];  // x
    }
  }
  for (std::size_t c = 0; c < lambda.size(); ++c) {
    if (!isActive(problem, static_cast<int>(c))) continue;
    value += lambda[c] * problem.counts[c];  // + λ_c v_c
    if (std::isfinite(problem.weights[c])) {
      value += 0.5 * lambda[c] * lambda[c] / problem.weights[c];  // + ½ λ_c² / w_c
    }
  }
  return value;
}

void dualGradient(const EntropyProblem& problem, const std::vector<double>& lambda,
                  const std::vector<double>& volumes, std::vector<double>& gradient) {
  gradient.resize(lambda.size());
  for (std::size_t c = 0; c < lambda.size(); ++c) {
    if (!isActive(problem, static_cast<int>(c))) {
      gradient[c] = 0.0;
      continue;
    }
    // ∇D_c = v_c − V_c + λ_c / w_c
    gradient[c] = problem.counts[c] - volumes[c] + lambda[c] / problem.weights[c];
  }
}

void hessianProduct(const EntropyProblem& problem, const std::vector<double>& table,
                    const std::vector<double>& along, const std::vector<double>& direction,
                    std::vector<double>& product, std::vector<double>& pairScratch) {
  sumAlongPairs(problem.routes, direction, pairScratch, problem.team);  // Pᵀ d
  const double limit = exponentLimit(problem);
  for (std::size_t p = 0; p < pairScratch.size(); ++p) {
    const bool clipped = std::fabs(along[p]) > limit;
    pairScratch[p] = clipped ? 0.0 : pairScratch[p] * table[p];  // x ∘ Pᵀ d
  }
  loadPairs(problem.routes, pairScratch, product, problem.team);  // P (x ∘ Pᵀ d)
  for (std::size_t c = 0; c < direction.size(); ++c) {
    if (!isActive(problem, static_cast<int>(c))) {
      product[c] = 0.0;
      continue;
    }
    product[c] += direction[c] / problem.weights[c];  // + d / w
  }
}

}  // namespace veldmark
