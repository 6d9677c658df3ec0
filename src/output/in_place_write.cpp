// Writing an existing file's content in place.
#include "output/in_place_write.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>

#include "output/temporary_file_registry.h"

namespace veldmark {
namespace {

// Returns EFBIG when `size` bytes pass the process's file size limit, else 0.
int checkSizeLimit(std::size_t size) {
  rlimit limit{};
  if (getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 0;
  return size > limit.rlim_cur ? EFBIG : 0;
}

// Reserves `size` bytes of blocks for `fd` without changing its length.
// Returns 0 when reserved or when the file system cannot reserve.
int reserve(int fd, std::size_t size) {
  if (size == 0) return 0;
  if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) == 0) return 0;
  return errno == EOPNOTSUPP || errno == ENOSYS ? 0 : errno;
}

// The steps on an open descriptor, in order; returns the first errno.
int overwrite(int fd, const std::string& text) {
  int error = checkSizeLimit(text.size());
  if (error == 0) error = reserve(fd, text.size());
  if (error == 0 && ::lseek(fd, 0, SEEK_SET) != 0) error = errno;
  if (error == 0) error = writeAll(fd, text);
  if (error == 0 && ::ftruncate(fd, static_cast<off_t>(text.size())) != 0) error = errno;
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  return error;
}

}  // namespace

int writeAll(int fd, const std::string& text) {
  const char* next = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t written = ::write(fd, next, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    next += written;
    left -= static_cast<std::size_t>(written);
  }
  return 0;
}

int writeInPlace(const std::string& path, const std::string& text) {
  sigset_t previous;
  blockTerminationSignals(previous);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  int error = fd < 0 ? errno : overwrite(fd, text);
  if (fd >= 0 && ::close(fd) != 0 && error == 0) error = errno;
  restoreSignalMask(previous);
  return error;
}

}  // namespace veldmark
