// The informational command lines: --help, -h and --version.
#pragma once

#include <ostream>

namespace veldmark {

/// True for "--help", "-h" and "--version" (given as the only argument).
bool isUsageRequest(const char* argument);

/// Writes the usage summary (for --help and -h) or the version line (for
/// --version) to `console`; returns the exit code 0.
int writeUsage(const char* argument, std::ostream& console);

}  // namespace veldmark
