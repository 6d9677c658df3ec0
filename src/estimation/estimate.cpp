#include "estimation/estimate.h"

namespace veldmark {

const char* methodName(EstimationMethod method) {
  switch (method) {
    case EstimationMethod::kLinearised:
      return "linearised";
  }
  return "linearised";
}

}  // namespace veldmark
