// Numbers in the files beside the trip table (CSV tables, the fit, the
// warnings): the shortest text that reads back as the same double.
#pragma once

#include <ostream>
#include <string>

namespace veldmark {

/// The shortest decimal text of `value` that reads back as the same double
/// (std::to_chars without a format): "420", "0.01", "1e+06", "nan", "inf".
/// Allocates; never fails.
std::string shortestNumber(double value);

/// Writes the same text as shortestNumber to `out`, without allocating.
void writeShortestNumber(std::ostream& out, double value);

}  // namespace veldmark
