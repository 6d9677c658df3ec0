// The dual of the soft entropy balancing, in one multiplier λ_c per counted
// link c (the primal: minimise Σ_p x_p ln(x_p / t_p) − x_p + t_p
// + ½ Σ_c w_c (V_c − v_c)², V = P x, over the pairs p with t_p > 0):
//   x_p(λ) = t_p · exp(−(Pᵀλ)_p)
//   D(λ)   = Σ_p x_p(λ) + Σ_c λ_c v_c + ½ Σ_c λ_c² / w_c        (minimised)
//   ∇D     = v − P x(λ) + λ / w
//   ∇²D·d  = P (x ∘ (Pᵀ d)) + d / w
// With a ratio limit M (the table kept within t / M <= x <= M t), the
// exponent is clipped to [−ln M, ln M]: x_p = t_p · exp(clip(−(Pᵀλ)_p)), a
// clipped pair adds x_p (1 ± ln M − (Pᵀλ)_p) to D in place of x_p (the
// conjugate of the bounded entropy; D stays convex and continuously
// differentiable) and nothing to the Hessian.
// At the minimum λ_c = w_c (V_c − v_c). A counted link with w_c = 0 is left
// out (held out of a fold): its λ_c stays 0 and its components of ∇D and
// ∇²D·d are 0. w_c = ∞ is the hard limit (λ / w = 0: the count is met
// exactly when it can be). Every sum runs in index order on the calling
// thread, the products as route_set.h says: the same bits at any team size.
#pragma once

#include <vector>

#include "assignment/route_set.h"
#include "numeric/thread_team.h"

namespace veldmark {

// The problem a dual is taken of; every member is read only.
struct EntropyProblem {
  const RouteSet& routes;              // P: counted links x pairs
  const std::vector<double>& prior;    // t per pair (> 0)
  const std::vector<double>& counts;   // v per counted link (>= 0)
  const std::vector<double>& weights;  // w per counted link (0: left out; may be +inf)
  double ratioLimit;                   // M > 1: x within [t / M, M t]; +inf: no limit
  ThreadTeam* team;                    // shares the products; null: the calling thread
};

/// True when counted link c takes part (w_c > 0).
inline bool isActive(const EntropyProblem& problem, int c) {
  return problem.weights[c] > 0.0;
}

/// x(λ) = t ∘ exp(−Pᵀλ) into `table` (one value per pair), `along` = Pᵀλ as
/// scratch. May overflow to +inf for a λ far from the minimum.
void dualTable(const EntropyProblem& problem, const std::vector<double>& lambda,
               std::vector<double>& table, std::vector<double>& along);

/// D(λ) from λ, its table x(λ) and `along` = Pᵀλ (pairs, then counted
/// links, in order).
double dualValue(const EntropyProblem& problem, const std::vector<double>& lambda,
                 const std::vector<double>& table, const std::vector<double>& along);

/// ∇D = v − V + λ / w into `gradient`, from `volumes` = P x(λ) (0 where a
/// link is left out).
void dualGradient(const EntropyProblem& problem, const std::vector<double>& lambda,
                  const std::vector<double>& volumes, std::vector<double>& gradient);

/// ∇²D·d = P (x ∘ (Pᵀ d)) + d / w into `product` at the table x and its
/// `along` = Pᵀλ (clipped pairs count 0); `pairScratch` holds Pᵀ d.
/// Allocates only on first use of the vectors.
void hessianProduct(const EntropyProblem& problem, const std::vector<double>& table,
                    const std::vector<double>& along, const std::vector<double>& direction,
                    std::vector<double>& product, std::vector<double>& pairScratch);

}  // namespace veldmark
