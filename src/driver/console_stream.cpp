#include "driver/console_stream.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace veldmark {

ConsoleBuffer::ConsoleBuffer(int fd) : fd_(fd) {
  if (::fcntl(fd, F_GETFD) < 0) {
    error_ = EBADF;
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0 && null != fd) {
      ::dup2(null, fd);
      ::close(null);
    }
  }
  lineBuffered_ = error_ == 0 && ::isatty(fd) == 1;
  // Without a put area every character passes through overflow, which
  // holds it in buffer_ and decides when to write.
  setp(nullptr, nullptr);
}

ConsoleBuffer::~ConsoleBuffer() {
  drain();
}

ConsoleBuffer::int_type ConsoleBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  buffer_[held_++] = traits_type::to_char_type(c);
  if (held_ == sizeof buffer_ || (lineBuffered_ && c == '\n')) drain();
  return c;
}

int ConsoleBuffer::sync() {
  drain();
  return 0;
}

void ConsoleBuffer::drain() {
  std::size_t done = 0;
  while (error_ == 0 && done < held_) {
    const ssize_t written = ::write(fd_, buffer_ + done, held_ - done);
    if (written >= 0) {
      done += static_cast<std::size_t>(written);
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd wait{fd_, POLLOUT, 0};
      ::poll(&wait, 1, -1);  // a non-blocking descriptor: wait for room
    } else if (errno != EINTR) {
      error_ = errno;
    }
  }
  held_ = 0;
}

Status consoleWriteError(int error, bool tableWritten) {
  if (tableWritten) {
    return Status{std::string("standard output: write error: ") + std::strerror(error) +
                  " (the trip table was written)"};
  }
  return Status{std::string("standard output: write error: ") + std::strerror(error)};
}

int checkConsole(std::ostream& console, std::ostream& errors, int code, bool tableWritten) {
  auto* buffer = dynamic_cast<ConsoleBuffer*>(console.rdbuf());
  if (buffer == nullptr) return code;
  console.flush();
  if (buffer->error() == 0) return code;
  errors << "veldmark: " << consoleWriteError(buffer->error(), tableWritten).message << "\n";
  errors.flush();
  return 1;
}

}  // namespace veldmark
