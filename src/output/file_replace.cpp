// Replacing an output file's content through a temporary file beside it.
#include "output/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace veldmark {
namespace {

// Characters of the target's name kept in the temporary file's name, so that
// ".<name>.XXXXXX" fits in a directory entry even for the longest names.
constexpr std::size_t kTempStemLimit = 64;

Status failure(const std::string& path, int error) {
  return Status{path + ": cannot write: " + std::strerror(error)};
}

// Writes all of `text` to `fd`, resuming after partial and interrupted
// writes. Returns 0, or the errno of the write that failed.
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

// Closes `fd`. Returns 0, or the errno of the close (a late write error).
int closeFile(int fd) {
  return ::close(fd) == 0 ? 0 : errno;
}

// Returns the permission bits a file created with mode 0666 gets now.
mode_t createdFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Writes `text` straight into the existing non-regular file at `path`.
Status writeDirectly(const std::string& path, const std::string& text) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return failure(path, errno);
  int error = writeAll(fd, text);
  const int closeError = closeFile(fd);
  if (error == 0) error = closeError;
  return error == 0 ? Status{} : failure(path, error);
}

// Writes `text` to a fresh temporary file beside `path` with permission bits
// `mode`, then renames it over `path`. Removes the temporary file on failure.
Status writeThroughTemporary(const std::string& path, const std::string& text, mode_t mode) {
  const std::size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string temporary = directory + "." + name.substr(0, kTempStemLimit) + ".XXXXXX";

  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return failure(path, errno);
  int error = ::fchmod(fd, mode) == 0 ? 0 : errno;
  if (error == 0) error = writeAll(fd, text);
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  const int closeError = closeFile(fd);
  if (error == 0) error = closeError;
  if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error == 0) return Status{};
  ::unlink(temporary.c_str());
  return failure(path, error);
}

}  // namespace

Status replaceFileContents(const std::string& path, const std::string& text) {
  if (path.empty()) return failure(path, ENOENT);
  struct stat existing;
  if (::lstat(path.c_str(), &existing) != 0) {
    if (errno != ENOENT) return failure(path, errno);
    return writeThroughTemporary(path, text, createdFileMode());
  }
  if (!S_ISREG(existing.st_mode)) return writeDirectly(path, text);
  if (::access(path.c_str(), W_OK) != 0) return failure(path, errno);
  return writeThroughTemporary(path, text, existing.st_mode & 0777);
}

}  // namespace veldmark
