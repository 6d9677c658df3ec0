#include "estimation/estimate.h"

namespace veldmark {

const char* methodName(EstimationMethod method) {
  switch (method) {
    case EstimationMethod::kLinearised:
      return "linearised";
    case EstimationMethod::kEntropy:
      return "entropy";
    case EstimationMethod::kGradient:
      return "gradient";
  }
  return "linearised";
}

}  // namespace veldmark
