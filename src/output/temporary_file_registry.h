// The one temporary file that may exist while a table is written, and the one
// temporary directory that may exist while the converter builds its output
// directory, known to a signal handler that removes them: their names are
// kept in static buffers that an async-signal-safe routine can read.
#pragma once

#include <signal.h>

#include <string>
#include <vector>

namespace veldmark {

/// Blocks SIGINT, SIGTERM and SIGHUP for the process, storing the mask they
/// replace in `previous`. For the few steps that must not be cut short (the
/// creation and registration of a temporary file, a write in place).
void blockTerminationSignals(sigset_t& previous);

/// Restores the signal mask that blockTerminationSignals stored.
void restoreSignalMask(const sigset_t& previous);

/// Records `path` as the temporary file to remove on a fatal signal. Returns
/// false, recording nothing, when the name does not fit the static buffer
/// (4096 bytes with its NUL). REQUIRES: the termination signals are blocked.
bool registerTemporaryFile(const char* path);

/// Forgets the registered name, if any; removes nothing.
void forgetTemporaryFile();

/// Records the temporary directory `directory` and the names of the files
/// that will be made in it (at most 8), so that the handlers remove those
/// files and the directory. Returns false, recording nothing, when the names
/// do not fit (4096 bytes each with the directory). REQUIRES: the
/// termination signals are blocked.
bool registerTemporaryDirectory(const std::string& directory,
                                const std::vector<std::string>& fileNames);

/// Forgets the registered directory, if any; removes nothing.
void forgetTemporaryDirectory();

/// Removes the registered temporary file, then the registered directory's
/// files and the directory, if any, and forgets them. Async-signal-safe
/// (unlink(2) and rmdir(2) only): for the signal handlers.
void removeRegisteredTemporaryFile();

}  // namespace veldmark
