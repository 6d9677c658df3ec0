// Limited-memory BFGS (Nocedal & Wright, algorithms 7.4 and 7.5): the
// direction is −H ∇F, where H is the inverse-Hessian estimate built by the
// two-loop recursion from the last `memory` steps s = u_{k+1} − u_k and
// gradient changes y = ∇F_{k+1} − ∇F_k, started from H0 = (sᵀy / yᵀy) I;
// the step along it satisfies the strong Wolfe conditions
//   F(u + a d) <= F(u) + c1 a ∇Fᵀd,   |∇F(u + a d)ᵀd| <= c2 |∇Fᵀd|
// (c1 = 1e-4, c2 = 0.9; near the minimum, where the decrease hides in F's
// rounding, the second with F(u + a d) <= F(u)), found by bracketing and zooming with safeguarded
// cubic interpolation (Nocedal & Wright, algorithms 3.5 and 3.6). A trial
// point where F or a gradient component is not finite (an exponential that
// overflowed) halves the step and counts as too long. Every sum runs in index
// order on the calling thread: the result depends on nothing but the
// objective's values (the same bits run after run if the objective gives them).
#pragma once

#include <functional>
#include <vector>

namespace veldmark {

/// F(u), with ∇F(u) written into `gradient` (resized by the callee to u's size).
using LbfgsObjective =
    std::function<double(const std::vector<double>& u, std::vector<double>& gradient)>;

enum class LbfgsStop {
  kGradient,    // ‖∇F‖∞ <= gradientTolerance: converged
  kDecrease,    // F fell by less than decreaseTolerance · max(|F|, 1) over the last `past`
                //   iterations twice running: once with the memory, once more after the
                //   memory was started afresh (a steepest-descent step)
  kIterations,  // maxIterations taken
  kLineSearch,  // no step along a descent direction met the Wolfe conditions (F is as low as
                //   rounding lets the search see; u is the best point found)
  kNonFinite,   // F or ∇F is not finite at the starting point
};

struct LbfgsSettings {
  int memory = 10;                  // pairs (s, y) kept: 2 · memory · u.size() doubles
  double gradientTolerance = 1e-5;  // stop once ‖∇F‖∞ <= this (absolute: the caller scales it)
  double decreaseTolerance = 1e-10;  // stop once F_{k−past} − F_k < this · max(|F_k|, 1)
  int past = 1;                      // iterations the decrease is measured over (>= 1)
  int maxIterations = 1000;          // iterations (line searches) at most
  int maxLineSteps = 40;             // objective evaluations per line search at most
};

struct LbfgsResult {
  int iterations = 0;         // steps taken (each one line search)
  int evaluations = 0;        // calls of the objective, the first at the start included
  double value = 0.0;         // F at the returned point
  double gradientNorm = 0.0;  // ‖∇F‖∞ at the returned point
  LbfgsStop stop = LbfgsStop::kIterations;
};

/// Minimises F from the starting point in `u`, leaving the best point found in
/// `u` (F never rises from one iteration to the next). Allocates
/// (2 · memory + 6) · u.size() doubles; prints nothing; throws only what the
/// objective throws (or std::bad_alloc). REQUIRES: settings.memory >= 1,
/// settings.past >= 1, settings.maxIterations >= 0, settings.maxLineSteps >= 1.
LbfgsResult minimiseLbfgs(const LbfgsObjective& objective, const LbfgsSettings& settings,
                          std::vector<double>& u);

/// A word for the stop reason ("converged", "stalled", ...), for traces and messages.
const char* lbfgsStopName(LbfgsStop stop);

}  // namespace veldmark
