// Writing a set of files as a whole new directory, never half of it.
#pragma once

#include <string>
#include <vector>

#include "veldmark/types.h"

namespace veldmark {

// One file of the directory: its name within it and its whole content.
struct NamedText {
  std::string name;
  std::string text;
};

/// Makes `directory` hold exactly `files`: they are written into a fresh
/// temporary directory ".<name>.XXXXXX" beside it, which then gets the
/// permission bits 0777 less the umask and is renamed to `directory`. An
/// existing empty directory is replaced; anything else at that name is left
/// alone and refused. Fails with "directory: exists and is not empty",
/// "directory: exists and is not a directory" or "directory: cannot write:
/// reason"; the temporary directory and everything in it is then removed,
/// so no part of the files is ever left. Reads the umask (umask(2) twice).
/// Prints nothing.
Status writeDirectory(const std::string& directory, const std::vector<NamedText>& files);

}  // namespace veldmark
