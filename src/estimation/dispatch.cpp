#include "estimation/dispatch.h"

#include "estimation/linearised/linearised_method.h"

namespace veldmark {

Status runEstimation(const EstimationRequest& request, std::ostream& console, Estimate& estimate) {
  switch (request.method) {
    case EstimationMethod::kLinearised:
      break;
  }
  return estimateLinearised(*request.counts, request.linearised, console, estimate);
}

}  // namespace veldmark
