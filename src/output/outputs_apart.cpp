// Comparing the files a run reads and writes by identity, not by name.
#include "output/outputs_apart.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "veldmark/file_name.h"

namespace veldmark {
namespace {

// Symbolic links followed at most, when resolving a name that does not exist.
constexpr int kMaxLinkSteps = 40;

// What a path names: an existing file's identity, or the resolved path where
// a new file would be made.
struct FileIdentity {
  enum Kind { kNone, kExisting, kNew } kind = kNone;
  dev_t device = 0;
  ino_t inode = 0;
  std::string resolved;  // kNew: the absolute path the file would get
};

std::string directoryPart(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string namePart(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The absolute path that a file created at `path` (which does not exist)
// would have: dangling symbolic links followed, the directory resolved.
std::string resolvedNewPath(std::string path) {
  for (int step = 0; step < kMaxLinkSteps; ++step) {
    char target[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
    if (length <= 0) break;
    const std::string link(target, static_cast<std::size_t>(length));
    path = link.front() == '/' ? link : directoryPart(path) + "/" + link;
  }
  char directory[PATH_MAX];
  if (::realpath(directoryPart(path).c_str(), directory) == nullptr) return "";
  const std::string name = namePart(path);
  if (name.empty() || name == "." || name == "..") return "";
  return std::string(directory) + (directory[1] == '\0' ? "" : "/") + name;
}

FileIdentity identify(const std::string& path) {
  FileIdentity identity;
  if (path.empty()) return identity;
  struct stat info;
  if (::stat(path.c_str(), &info) == 0) {
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) || S_ISFIFO(info.st_mode) ||
        S_ISSOCK(info.st_mode)) {
      return identity;
    }
    identity.kind = FileIdentity::kExisting;
    identity.device = info.st_dev;
    identity.inode = info.st_ino;
    return identity;
  }
  identity.resolved = resolvedNewPath(path);
  if (!identity.resolved.empty()) identity.kind = FileIdentity::kNew;
  return identity;
}

bool sameFile(const FileIdentity& a, const FileIdentity& b) {
  if (a.kind == FileIdentity::kNone || a.kind != b.kind) return false;
  if (a.kind == FileIdentity::kExisting) return a.device == b.device && a.inode == b.inode;
  return a.resolved == b.resolved;
}

std::string quoted(const std::string& path) {
  const std::string shown = displayName(path);
  return shown == path ? "'" + path + "'" : shown;
}

Status clash(const NamedPath& output, const NamedPath& other) {
  return Status{output.role + " " + quoted(output.path) + " is the same file as " + other.role +
                " " + quoted(other.path) + ": an output never replaces an input or another output"};
}

}  // namespace

Status checkOutputsApart(const std::vector<NamedPath>& inputs,
                         const std::vector<NamedPath>& outputs) {
  std::vector<FileIdentity> inputIds;
  for (const NamedPath& input : inputs) inputIds.push_back(identify(input.path));
  std::vector<FileIdentity> outputIds;
  for (const NamedPath& output : outputs) outputIds.push_back(identify(output.path));
  for (std::size_t o = 0; o < outputs.size(); ++o) {
    for (std::size_t i = 0; i < inputs.size(); ++i) {
      if (sameFile(outputIds[o], inputIds[i])) return clash(outputs[o], inputs[i]);
    }
  }
  for (std::size_t o = 0; o < outputs.size(); ++o) {
    for (std::size_t p = 0; p < o; ++p) {
      if (sameFile(outputIds[o], outputIds[p])) return clash(outputs[o], outputs[p]);
    }
  }
  return Status{};
}

}  // namespace veldmark
