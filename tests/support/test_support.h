// Helpers shared by the test programs: scratch directories, small files and
// running the built binary.
#pragma once

#include <string>
#include <vector>

#include "support/warning_lines.h"

namespace veldmark::testing {

/// A fresh directory under the temporary directory, removed with its contents.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  /// Writes `content` to `name` inside the directory; returns the full path.
  std::string write(const std::string& name, const std::string& content) const;

 private:
  std::string path_;
};

/// The whole content of a file ("" when it cannot be read).
std::string readFile(const std::string& path);

struct RunResult {
  int exitCode = -1;  // 128 + the signal when one ended the run
  std::string out;
  std::string err;
};

/// Runs the program `binary` with `args` in `workDir`, no standard input.
RunResult runBinary(const std::string& binary, const std::vector<std::string>& args,
                    const std::string& workDir);

/// Runs the veldmark binary with `args` in `workDir`, no standard input.
RunResult runVeldmark(const std::vector<std::string>& args, const std::string& workDir);

/// Replaces the digits of the clock lines by '#', as the golden consoles do.
std::string maskClock(std::string console);

/// A link file: 7 metadata lines, a header, then `body` (the link lines).
std::string linkFile(const std::string& body);
/// A flow file: 5 metadata lines, a header, then `body` (the flow lines).
std::string flowFile(const std::string& body);

/// The smallest whole network: link lines joining zones 1 and 2 both ways,
/// and flow lines giving them 5 and 7 (the estimate is those flows).
inline const std::string kTwoZoneLinks = "1 2 1 0 0 0 0 0 0 0\n2 1 1 0 0 0 0 0 0 0\n";
inline const std::string kTwoZoneFlows = "1 2   5.0 0\n2 1   7.0 0\n";

}  // namespace veldmark::testing
