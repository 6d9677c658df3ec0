#include "estimation/balancing/prior_pairs.h"

#include <algorithm>

namespace veldmark {

PriorPairs priorPairs(const std::vector<double>& prior, int zones) {
  PriorPairs result;
  for (int i = 0; i < zones; ++i) {
    for (int j = 0; j < zones; ++j) {
      const double t = prior[static_cast<std::size_t>(i) * zones + j];
      if (i == j) {
        result.diagonalTrips += t;
      } else if (t > 0.0) {
        result.pairs.push_back(ZonePair{i, j});
        result.prior.push_back(t);
      }
    }
  }
  return result;
}

PriorPairs flatPairs(int zones, double level) {
  PriorPairs result;
  const std::size_t count = static_cast<std::size_t>(zones) * (zones > 0 ? zones - 1 : 0);
  result.pairs.reserve(count);
  for (int i = 0; i < zones; ++i) {
    for (int j = 0; j < zones; ++j) {
      if (i != j) result.pairs.push_back(ZonePair{i, j});
    }
  }
  result.prior.assign(result.pairs.size(), level);
  return result;
}

bool tableOfPairs(const PriorPairs& pairs, const std::vector<double>& values,
                  const std::vector<double>& diagonal, int zones, DenseMatrix& table) {
  if (!allocateSquareMatrix(table, zones)) return false;
  std::fill(table.entries.get(), table.entries.get() + static_cast<std::size_t>(zones) * zones,
            0.0);
  for (int i = 0; i < zones && !diagonal.empty(); ++i) table[i][i] = diagonal[i];
  for (std::size_t p = 0; p < pairs.pairs.size(); ++p) {
    table[pairs.pairs[p].origin][pairs.pairs[p].destination] = values[p];
  }
  return true;
}

}  // namespace veldmark
