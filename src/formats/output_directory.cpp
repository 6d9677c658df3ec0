// A directory built beside its final name and renamed into place.
#include "formats/output_directory.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "output/file_replace.h"
#include "output/temporary_file_registry.h"

namespace veldmark {
namespace {

Status cannotWrite(const std::string& directory, int error) {
  return Status{directory + ": cannot write: " + std::strerror(error)};
}

// True when the directory at `path` holds nothing but "." and "..".
bool isEmptyDirectory(const std::string& path) {
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return false;
  bool empty = true;
  while (const dirent* entry = ::readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
      empty = false;
      break;
    }
  }
  ::closedir(dir);
  return empty;
}

// Refuses a target that exists and is not an empty directory.
Status checkTarget(const std::string& directory) {
  struct stat existing;
  if (::lstat(directory.c_str(), &existing) != 0) {
    return errno == ENOENT ? Status{} : cannotWrite(directory, errno);
  }
  if (!S_ISDIR(existing.st_mode)) return Status{directory + ": exists and is not a directory"};
  if (!isEmptyDirectory(directory)) return Status{directory + ": exists and is not empty"};
  return Status{};
}

void removeTemporary(const std::string& temporary, const std::vector<NamedText>& files) {
  for (const NamedText& file : files) ::unlink((temporary + "/" + file.name).c_str());
  ::rmdir(temporary.c_str());
}

mode_t createdDirectoryMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0777 & ~mask;
}

}  // namespace

Status writeDirectory(const std::string& target, const std::vector<NamedText>& files) {
  std::string directory = target;
  while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
  if (directory.empty()) return cannotWrite(target, ENOENT);
  if (Status status = checkTarget(directory); !status.ok()) return status;

  const std::size_t slash = directory.rfind('/');
  const std::string parent = slash == std::string::npos ? "" : directory.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? directory : directory.substr(slash + 1);
  std::string temporary = parent + "." + name.substr(0, 64) + ".XXXXXX";
  std::vector<std::string> names;
  for (const NamedText& file : files) names.push_back(file.name);
  sigset_t previous;
  blockTerminationSignals(previous);
  const bool made = ::mkdtemp(temporary.data()) != nullptr;
  const int error = errno;
  if (made) registerTemporaryDirectory(temporary, names);
  restoreSignalMask(previous);
  if (!made) return cannotWrite(directory, error);

  Status status;
  for (const NamedText& file : files) {
    const std::string written = temporary + "/" + file.name;
    status = replaceFileContents(written, file.text);
    if (status.ok()) continue;
    // Name the file as it would have been, not its temporary place.
    status.message = directory + "/" + file.name + status.message.substr(written.size());
    break;
  }
  if (status.ok() && ::chmod(temporary.c_str(), createdDirectoryMode()) != 0) {
    status = cannotWrite(directory, errno);
  }
  if (status.ok() && ::rename(temporary.c_str(), directory.c_str()) != 0) {
    status = cannotWrite(directory, errno);
  }
  if (!status.ok()) removeTemporary(temporary, files);
  forgetTemporaryDirectory();
  return status;
}

}  // namespace veldmark
