// The veldmark-convert program: its command line, its sub-commands and its
// exit code.
#pragma once

#include <ostream>

namespace veldmark {

/// Runs veldmark-convert for the command line (argc, argv):
///   [OPTION...] tntp NET.tntp FLOW.tntp OUTDIR
///   [OPTION...] csv LINKS.csv COUNTS.csv OUTDIR
///   [OPTION...] table TRIPS.txt OUT.csv|OUT.omx
///   [OPTION...] tntp-trips TRIPS.tntp OUT.csv|OUT.omx
/// Options (before the sub-command or right after it): --count-column NAME
/// (or =NAME), --help, -h, --version, and "--" to end them. One summary line
/// of what was written goes to `console`; every error goes to `errors` as
/// one line "veldmark-convert: ...". Returns 0 after a complete conversion,
/// 1 for a usage error or a failed read or write (nothing is then written).
int runConvert(int argc, char** argv, std::ostream& console, std::ostream& errors);

}  // namespace veldmark
