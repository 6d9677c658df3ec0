#include "estimation/linearised/inverse_check.h"

#include <cstdint>

namespace veldmark {

int truncateToInt32(double value) {
  // The comparisons are false for a NaN, which falls through to the minimum.
  if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int>(value);
  return INT32_MIN;
}

bool formInverseCheck(const DenseMatrix& basis, const DenseMatrix& inverse, int linkCount,
                      DenseMatrix& check) {
  bool identity = true;
  for (int c = 0; c < linkCount; ++c) {
    for (int d = 0; d < linkCount; ++d) {
      int accumulator = 0;
      for (int k = 0; k < linkCount; ++k) {
        accumulator = truncateToInt32(basis[c][k] * inverse[k][d] + accumulator);
      }
      check[c][d] = accumulator;
      if (accumulator != (c == d ? 1 : 0)) identity = false;
    }
  }
  return identity;
}

void printInverseCheck(const DenseMatrix& check, int linkCount, std::ostream& console) {
  for (int c = 0; c < linkCount; ++c) {
    for (int d = 0; d < linkCount; ++d) console << check[c][d] << " ";
    console << "\n";
  }
  console << "\n";
}

}  // namespace veldmark
