#include "report/comparison_statistics.h"

#include <cmath>
#include <cstddef>
#include <limits>

namespace veldmark {

ComparisonStatistics compareValues(const std::vector<double>& estimated,
                                   const std::vector<double>& reference) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  ComparisonStatistics fit;
  fit.count = static_cast<int>(estimated.size());
  // --- Totals and means ---
  for (std::size_t k = 0; k < estimated.size(); ++k) {
    fit.estimatedTotal += estimated[k];
    fit.referenceTotal += reference[k];
  }
  if (fit.count == 0) {
    fit.rSquared = fit.rmse = fit.relativeRmse = kNaN;
    return fit;
  }
  const double n = static_cast<double>(fit.count);
  const double meanEstimated = fit.estimatedTotal / n;
  const double meanReference = fit.referenceTotal / n;
  // --- Sums of squared deviations and of squared errors ---
  double sxy = 0, sxx = 0, syy = 0, squaredErrors = 0;
  for (std::size_t k = 0; k < estimated.size(); ++k) {
    const double dx = estimated[k] - meanEstimated;  // x - mean(x)
    const double dy = reference[k] - meanReference;  // y - mean(y)
    const double error = estimated[k] - reference[k];
    sxy += dx * dy;
    sxx += dx * dx;
    syy += dy * dy;
    squaredErrors += error * error;
  }
  // r^2 = Sxy^2 / (Sxx Syy); undefined when either side has no spread
  fit.rSquared = (sxx > 0 && syy > 0) ? (sxy * sxy) / (sxx * syy) : kNaN;
  fit.rmse = std::sqrt(squaredErrors / n);
  fit.relativeRmse = meanReference != 0 ? fit.rmse / meanReference : kNaN;
  return fit;
}

}  // namespace veldmark
