// The rule that a run's outputs never destroy its inputs or each other: an
// output that is the same file as an input, or as another output, is refused
// before anything is estimated or written.
#pragma once

#include <string>
#include <vector>

#include "veldmark/types.h"

namespace veldmark {

// A file of a run and the role it plays there, for the message.
struct NamedPath {
  std::string role;  // how the user knows it: "BASE", "TRIPS", "--csv", "OUTDIR", ...
  std::string path;  // as given on the command line
};

/// Checks that no output is the same file as an input or as another output.
/// Two paths are the same file when both exist and stat(2) (links followed)
/// gives them the same device and inode, or, for an output that does not
/// exist yet, when its resolved path (realpath of its directory, symbolic
/// links of the name itself followed) equals that of another output or of an
/// input. Character and block devices, pipes and sockets are never the same
/// file as anything (two outputs may both be /dev/null), and neither is an
/// empty path or one that cannot be resolved (its own read or write then
/// fails with the system's reason). Fails, at the first pair in the order
/// outputs against inputs, then outputs against the outputs before them,
/// with "OUTPUT-ROLE 'path' is the same file as OTHER-ROLE 'path': an output
/// never replaces an input or another output" (names quoted, odd ones as
/// displayName writes them). Reads the file system only; any number of paths;
/// prints nothing; never allocates more than a few names.
Status checkOutputsApart(const std::vector<NamedPath>& inputs,
                         const std::vector<NamedPath>& outputs);

}  // namespace veldmark
