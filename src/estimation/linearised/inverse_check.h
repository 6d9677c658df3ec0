// The integer check of a computed basis inverse.
#pragma once

#include <ostream>

#include "veldmark/types.h"

namespace veldmark {

/// Converts a double to a 32-bit integer by truncation toward zero; a NaN or
/// a value outside the 32-bit range gives -2147483648 (what the hardware's
/// conversion yields), never undefined behaviour.
int truncateToInt32(double value);

/// Forms check = basis x inverse (L x L) with a 32-bit integer accumulator
/// per entry: for k = 0..L-1, acc = trunc(basis[c][k] * inverse[k][d] + acc).
/// Returns true when the accumulators form the identity. Writes every entry
/// of `check`; reads the others only. Prints nothing.
bool formInverseCheck(const DenseMatrix& basis, const DenseMatrix& inverse, int linkCount,
                      DenseMatrix& check);

/// Prints the check matrix row by row, each value in the console's default
/// number format followed by " ", each row ended by "\n", then one "\n".
void printInverseCheck(const DenseMatrix& check, int linkCount, std::ostream& console);

}  // namespace veldmark
