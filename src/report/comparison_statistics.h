// How closely one list of values follows another: totals, the squared
// correlation and the root mean square error, as planners compare an
// estimated table with a reference one.
#pragma once

#include <vector>

namespace veldmark {

// The agreement of estimated values with reference values, pair by pair.
struct ComparisonStatistics {
  int count = 0;              // pairs compared
  double estimatedTotal = 0;  // sum of the estimated values
  double referenceTotal = 0;  // sum of the reference values
  double rSquared = 0;        // squared Pearson correlation; NaN when either side is constant
  double rmse = 0;            // sqrt(sum (e - r)^2 / count)
  double relativeRmse = 0;    // rmse / (referenceTotal / count); NaN when that mean is 0
};

/// Compares estimated[k] with reference[k] for every k. The correlation is
/// r = Sxy / sqrt(Sxx Syy) over the deviations from the two means (two
/// passes: means first, then the sums of products), and rSquared = r * r.
/// REQUIRES: both vectors have the same size. An empty list gives count 0
/// and NaN for rSquared, rmse and relativeRmse. Prints nothing.
ComparisonStatistics compareValues(const std::vector<double>& estimated,
                                   const std::vector<double>& reference);

}  // namespace veldmark
