// Replacing the whole content of an output file without ever leaving it half
// written: the text goes to a temporary file beside it that is renamed into
// place once complete, or, where the directory does not allow that, over the
// existing file in place after its room was checked.
#pragma once

#include <string>

#include "veldmark/types.h"

namespace veldmark {

/// Creates the empty temporary file ".<name>.XXXXXX" (the name cut to 64
/// bytes) beside `path`, stores its name in `temporary` and registers it for
/// the signal handlers (temporary_file_registry.h), both with the
/// termination signals held back. Returns its descriptor, or -1 with errno
/// set. The caller renames or unlinks it, then calls forgetTemporaryFile().
int createTemporaryBeside(const std::string& path, std::string& temporary);

/// Makes `text` the whole content of the file at `path`.
/// - A new or existing regular file is replaced through a temporary file
///   ".<name>.XXXXXX" in its directory, registered for the signal handlers
///   (temporary_file_registry.h), written, synced, closed and renamed over it;
///   the new file gets the old one's owner and group where the process may
///   set them and its mode (07777 bits), or 0666 less the umask when there
///   was no file.
/// - A symbolic link to a regular file: that file is replaced, in its own
///   directory, and the link stays a link. A link to anything else, or one
///   that leads nowhere, is opened and written as a plain truncating open
///   would, as is any other target that is not a regular file (a device, a
///   pipe).
/// - An existing regular file with several hard links is written in place
///   (writeInPlace), so that every name keeps showing the same file.
/// - When no temporary file can be made beside an existing file (EACCES,
///   EPERM, EROFS) or the rename over it is refused (EACCES, EPERM, EBUSY,
///   EXDEV: a read-only or sticky directory, a bind-mounted file), the file
///   is written in place instead.
/// Fails with "path: cannot write: reason" (the system's error text; when the
/// write in place fails too, the message adds what refused the temporary
/// file, naming the directory when it was the directory); the temporary file
/// is then removed, and an existing file keeps its content except when a
/// write in place failed after its checks. Reads the process umask (umask(2)
/// twice), so it must not race with other threads that set it. Prints nothing.
Status replaceFileContents(const std::string& path, const std::string& text);

}  // namespace veldmark
