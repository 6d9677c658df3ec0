// The veldmark-convert program: its command line, its sub-commands and its
// exit code.
#pragma once

#include <ostream>

namespace veldmark {

/// Runs veldmark-convert for the command line (argc, argv):
///   tntp NET.tntp [FLOW.tntp|COUNTS.csv] OUTDIR
///   csv LINKS.csv COUNTS.csv OUTDIR
///   table TRIPS.txt OUT.csv|OUT.omx
///   tntp-trips TRIPS.tntp OUT.csv|OUT.omx
/// Options anywhere before "--" (cli/command_line.h): --count-column NAME
/// (or =NAME), --help, --version; "-h" where the sub-command goes is --help.
/// One summary line of what was written goes to `console`; every error goes
/// to `errors` as one line "veldmark-convert: ..." (running out of memory:
/// "veldmark-convert: out of memory"). Returns 0 after a complete
/// conversion, 1 for a usage error or a failed read or write (nothing is
/// then written). An output that is the same file as an input is refused
/// before anything is read or written.
int runConvert(int argc, char** argv, std::ostream& console, std::ostream& errors);

}  // namespace veldmark
