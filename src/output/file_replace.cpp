// Replacing an output file's content through a temporary file beside it, or
// in place where no temporary file can take its place.
#include "output/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "output/in_place_write.h"
#include "output/temporary_file_registry.h"
#include "veldmark/file_name.h"

namespace veldmark {
namespace {

// Characters of the target's name kept in the temporary file's name, so that
// ".<name>.XXXXXX" fits in a directory entry even for the longest names.
constexpr std::size_t kTempStemLimit = 64;

Status failure(const std::string& path, int error) {
  return Status{displayName(path) + ": cannot write: " + std::strerror(error)};
}

// Where a write through a temporary file stopped, and why.
struct TemporaryOutcome {
  enum Stage { kDone, kCreate, kWrite, kRename } stage = kDone;
  int error = 0;
};

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

std::string directoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
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

// Gives the temporary file the owner and group of the file it replaces
// where the process may (the group alone, or neither, otherwise), then its
// mode, which a change of owner could have cleared.
int takeOwnerAndMode(int fd, const struct stat* existing, mode_t mode) {
  if (existing != nullptr && ::fchown(fd, existing->st_uid, existing->st_gid) != 0) {
    (void)::fchown(fd, static_cast<uid_t>(-1), existing->st_gid);
  }
  return ::fchmod(fd, mode) == 0 ? 0 : errno;
}

// Writes `text` to a fresh temporary file beside `path`, then renames it over
// `path`. Removes the temporary file on failure.
TemporaryOutcome writeThroughTemporary(const std::string& path, const std::string& text,
                                       const struct stat* existing) {
  std::string temporary;
  const int fd = createTemporaryBeside(path, temporary);
  if (fd < 0) return {TemporaryOutcome::kCreate, errno};
  const mode_t mode = existing != nullptr ? existing->st_mode & 07777 : createdFileMode();
  int error = takeOwnerAndMode(fd, existing, mode);
  if (error == 0) error = writeAll(fd, text);
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  const int closeError = closeFile(fd);
  if (error == 0) error = closeError;
  TemporaryOutcome outcome{error == 0 ? TemporaryOutcome::kDone : TemporaryOutcome::kWrite, error};
  if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) {
    outcome = {TemporaryOutcome::kRename, errno};
  }
  if (outcome.stage != TemporaryOutcome::kDone) ::unlink(temporary.c_str());
  forgetTemporaryFile();
  return outcome;
}

// True when the directory refused what a write in place does not need.
bool inPlaceMayHelp(const TemporaryOutcome& outcome) {
  const int e = outcome.error;
  if (outcome.stage == TemporaryOutcome::kCreate) return e == EACCES || e == EPERM || e == EROFS;
  if (outcome.stage == TemporaryOutcome::kRename) {
    return e == EACCES || e == EPERM || e == EBUSY || e == EXDEV;
  }
  return false;
}

// Replaces the existing regular file `target` (named `path` by the user).
Status replaceExisting(const std::string& path, const std::string& target, const std::string& text,
                       const struct stat& existing) {
  if (::access(target.c_str(), W_OK) != 0) return failure(path, errno);
  if (existing.st_nlink > 1) {
    const int error = writeInPlace(target, text);
    return error == 0 ? Status{} : failure(path, error);
  }
  const TemporaryOutcome outcome = writeThroughTemporary(target, text, &existing);
  if (outcome.stage == TemporaryOutcome::kDone) return Status{};
  if (!inPlaceMayHelp(outcome)) return failure(path, outcome.error);
  const int error = writeInPlace(target, text);
  if (error == 0) return Status{};
  const std::string first = std::strerror(outcome.error);
  if (outcome.stage == TemporaryOutcome::kCreate) {
    return Status{displayName(path) + ": cannot write: " + std::strerror(error) +
                  " (in place, after no temporary file could be made in " +
                  displayName(directoryOf(target)) + ": " + first + ")"};
  }
  return Status{displayName(path) + ": cannot write: " + std::strerror(error) +
                " (in place, after the rename over it was refused: " + first + ")"};
}

}  // namespace

int createTemporaryBeside(const std::string& path, std::string& temporary) {
  const std::size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  temporary = directory + "." + name.substr(0, kTempStemLimit) + ".XXXXXX";
  sigset_t previous;
  blockTerminationSignals(previous);
  const int fd = ::mkstemp(temporary.data());
  const int error = errno;
  if (fd >= 0) registerTemporaryFile(temporary.c_str());
  restoreSignalMask(previous);
  errno = error;
  return fd;
}

Status replaceFileContents(const std::string& path, const std::string& text) {
  if (path.empty()) return failure(path, ENOENT);
  struct stat existing;
  if (::lstat(path.c_str(), &existing) != 0) {
    if (errno != ENOENT) return failure(path, errno);
    const TemporaryOutcome outcome = writeThroughTemporary(path, text, nullptr);
    return outcome.stage == TemporaryOutcome::kDone ? Status{} : failure(path, outcome.error);
  }
  if (S_ISREG(existing.st_mode)) return replaceExisting(path, path, text, existing);
  if (!S_ISLNK(existing.st_mode)) return writeDirectly(path, text);
  // A symbolic link: the file it leads to is replaced, and the link stays.
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr || ::stat(resolved, &existing) != 0 ||
      !S_ISREG(existing.st_mode)) {
    return writeDirectly(path, text);
  }
  return replaceExisting(path, resolved, text, existing);
}

}  // namespace veldmark
