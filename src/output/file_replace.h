// Replacing the whole content of an output file without ever leaving it half
// written: the text goes to a temporary file beside it that is renamed into
// place once complete.
#pragma once

#include <string>

#include "veldmark/types.h"

namespace veldmark {

/// Makes `text` the whole content of the file at `path`.
/// A new or existing regular file is replaced through a temporary file
/// ".<name>.XXXXXX" in the same directory, written, synced, closed and then
/// renamed over `path`; the new file gets the old file's permission bits, or
/// 0666 less the umask when there was none. A target that exists and is not
/// a regular file (a device, a pipe, a symbolic link) is opened and written
/// directly, as a plain truncating open would.
/// Fails with "path: reason" (the system's error text) when the file cannot
/// be created, written, closed or renamed into place, or when an existing
/// file is not writable; the temporary file is then removed and an existing
/// file at `path` keeps its content. Reads the process umask (umask(2) twice),
/// so it must not race with other threads that set it. Prints nothing.
Status replaceFileContents(const std::string& path, const std::string& text);

}  // namespace veldmark
