#include "estimation/dispatch.h"

#include "estimation/entropy/entropy_method.h"
#include "estimation/gradient/gradient_method.h"
#include "estimation/linearised/linearised_method.h"

namespace veldmark {

Status runEstimation(const EstimationRequest& request, std::ostream& console, Estimate& estimate) {
  switch (request.method) {
    case EstimationMethod::kEntropy:
      return estimateByEntropy(request.balancing, request.balancingSettings, estimate);
    case EstimationMethod::kGradient:
      return estimateByGradient(request.balancing, request.balancingSettings, estimate);
    case EstimationMethod::kLinearised:
      break;
  }
  return estimateLinearised(*request.counts, request.linearised, console, estimate);
}

}  // namespace veldmark
