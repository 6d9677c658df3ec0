// The informational command lines (--help, -h and --version) and the usage
// line of a run without file arguments.
#pragma once

#include <ostream>

namespace veldmark {

/// True for "--help", "-h" and "--version" (given as the only argument).
bool isUsageRequest(const char* argument);

/// Writes the one-line reminder a run without any file argument adds on
/// standard error: "veldmark: usage: veldmark [OPTION…] BASE ABSTRACT FLOWS
/// [TRIPS] (veldmark --help for more)" and a line end.
void writeUsageLine(std::ostream& errors);

/// Writes the usage summary (for --help and -h) or the version line (for
/// --version) to `console`; returns the exit code 0.
int writeUsage(const char* argument, std::ostream& console);

}  // namespace veldmark
