// The console on standard output, as a stream buffer that never lets a
// failed write end the run: the first write error is kept and everything
// after it is discarded, so that the estimation and the trip table go on.
#pragma once

#include <ostream>
#include <streambuf>

#include "veldmark/types.h"

namespace veldmark {

// A stream buffer over an open file descriptor. Holds up to 4096 bytes and
// writes them when full, on flush, on destruction and, when the descriptor
// is a terminal, at every line end.
class ConsoleBuffer : public std::streambuf {
 public:
  /// Writes to `fd`. When `fd` is not open, records EBADF at once and opens
  /// /dev/null on it, so that no file opened later takes its number.
  explicit ConsoleBuffer(int fd);
  /// Writes what is held (pubsync).
  ~ConsoleBuffer() override;
  ConsoleBuffer(const ConsoleBuffer&) = delete;
  ConsoleBuffer& operator=(const ConsoleBuffer&) = delete;

  /// The errno of the first write that failed, or 0. After a failure
  /// nothing more is written.
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override;
  int sync() override;  // always 0: a failure is kept in error()

 private:
  void drain();  // writes buffer_[0, held_); keeps the first error

  int fd_;
  int error_ = 0;
  bool lineBuffered_ = false;
  std::size_t held_ = 0;
  char buffer_[4096];
};

/// The message for a console that failed with `error`: "standard output:
/// write error: REASON", with " (the trip table was written)" added when
/// `tableWritten`. Never fails.
Status consoleWriteError(int error, bool tableWritten);

/// At the end of a run that returned `code`: when `console` writes through a
/// ConsoleBuffer whose write failed, flushes `console`, prints
/// consoleWriteError on `errors` ("veldmark: ..." in one line) and returns 1;
/// otherwise returns `code` and prints nothing. Any other stream buffer (the
/// in-process tests' strings) is left alone.
int checkConsole(std::ostream& console, std::ostream& errors, int code, bool tableWritten);

}  // namespace veldmark
