// The one temporary file that may exist while a table is written, known to a
// signal handler that removes it: its name is kept in a static buffer that an
// async-signal-safe routine can read.
#pragma once

#include <signal.h>

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

/// Removes the registered temporary file, if any, and forgets it. Async-
/// signal-safe (unlink(2) only): for the signal handlers.
void removeRegisteredTemporaryFile();

}  // namespace veldmark
