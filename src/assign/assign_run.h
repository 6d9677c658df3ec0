// veldmark-assign: the run from the command line to the written files.
#pragma once

#include <ostream>

namespace veldmark {

/// Runs veldmark-assign with `argc`/`argv`: reads BASE and TRIPS, assigns,
/// writes VOLUMES (and --summary) whole. Writes one closing line to
/// `console`; errors ("veldmark-assign: ...") and warnings ("veldmark-assign:
/// warning: ...") one line each to `errors`, and the status line there when
/// it is a terminal. Returns the exit code: 0 done, 1 error.
int runAssign(int argc, char** argv, std::ostream& console, std::ostream& errors);

}  // namespace veldmark
