// The program's run: banner, arguments, the phases in order, exit code.
#pragma once

#include <ostream>

namespace veldmark {

/// Runs the whole program for the command line (argc, argv): the console
/// goes to `console`, every error message to `errors` as one line starting
/// "veldmark: ". Returns the exit code: 0 after a complete run, 1 for a
/// missing argument, an input error, a failed allocation or a trip table
/// that could not be written.
int runProgram(int argc, char** argv, std::ostream& console, std::ostream& errors);

}  // namespace veldmark
