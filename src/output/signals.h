// The process's signal dispositions for a run of the program.
#pragma once

namespace veldmark {

/// Ignores SIGPIPE (a console reader that stops early makes console writes
/// fail with EPIPE instead of killing the run) and SIGXFSZ (a file size limit
/// makes a write fail with EFBIG). Makes SIGINT, SIGTERM and SIGHUP remove
/// the registered temporary file (temporary_file_registry.h), then end the
/// process by the same signal with its default action; a signal that was
/// ignored when the program started stays ignored. For main only: the
/// in-process tests keep their own dispositions.
void installSignalHandlers();

}  // namespace veldmark
