// The help text of veldmark-convert.
#pragma once

#include <ostream>

namespace veldmark {

/// Writes the usage summary of veldmark-convert to `console`.
void writeConvertUsage(std::ostream& console);

}  // namespace veldmark
