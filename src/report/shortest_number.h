// Numbers in the files the reports write: the shortest text that reads back
// as the same double.
#pragma once

#include <string>

namespace veldmark {

/// The shortest decimal text of `value` that reads back as the same double
/// (std::to_chars without a format): "420", "0.01", "1e+06", "nan", "inf".
/// Allocates; never fails.
std::string shortestNumber(double value);

}  // namespace veldmark
