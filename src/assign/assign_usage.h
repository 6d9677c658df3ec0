// The --help text of veldmark-assign.
#pragma once

#include <ostream>

namespace veldmark {

/// Writes the usage summary to `console`.
void writeAssignUsage(std::ostream& console);

}  // namespace veldmark
