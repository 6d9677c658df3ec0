// Helpers shared by the test programs: scratch directories, small files and
// running the built binary.
#pragma once

#include <string>
#include <vector>

namespace veldmark::testing {

/// A fresh directory under the system's temporary directory, removed with
/// its contents when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  /// Writes `content` to `name` inside the directory; returns the full path.
  std::string write(const std::string& name, const std::string& content) const;
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

/// Returns the whole content of a file ("" when it cannot be read).
std::string readFile(const std::string& path);

/// What a run of the built binary produced.
struct RunResult {
  int exitCode = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

/// Runs the veldmark binary with `args` in `workDir`, no standard input.
RunResult runVeldmark(const std::vector<std::string>& args, const std::string& workDir);

/// Replaces the digits of the clock lines by '#', as the golden consoles do.
std::string maskClock(const std::string& console);

/// A link file: 7 metadata lines, a header, then `body` (the link lines).
std::string linkFile(const std::string& body);
/// A flow file: 5 metadata lines, a header, then `body` (the flow lines).
std::string flowFile(const std::string& body);

}  // namespace veldmark::testing
