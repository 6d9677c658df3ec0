#include "support/test_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace veldmark::testing {

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "veldmark-test-XXXXXX").string();
  path_ = mkdtemp(pattern.data()) ? pattern : std::string();
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::write(const std::string& name, const std::string& content) const {
  const std::string full = file(name);
  std::ofstream(full, std::ios::binary) << content;
  return full;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

RunResult runVeldmark(const std::vector<std::string>& args, const std::string& workDir) {
  RunResult result;
  const std::string outPath = workDir + "/.stdout", errPath = workDir + "/.stderr";
  const pid_t child = fork();
  if (child == 0) {
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    if (chdir(workDir.c_str()) != 0) _exit(127);
    std::vector<char*> argv;
    std::string binary = VELDMARK_BINARY;
    argv.push_back(binary.data());
    std::vector<std::string> copies(args);
    for (auto& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(binary.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = readFile(outPath);
  result.err = readFile(errPath);
  std::remove(outPath.c_str());
  std::remove(errPath.c_str());
  return result;
}

// Replaces the digits that follow `prefix` at the start of a line by '#'.
std::string maskDigitsAfter(const std::string& text, const std::string& prefix) {
  std::string masked;
  std::size_t line = 0;
  while (line < text.size()) {
    std::size_t end = text.find('\n', line);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string piece = text.substr(line, end - line);
    if (piece.compare(0, prefix.size(), prefix) == 0) {
      std::size_t digits = prefix.size();
      while (digits < piece.size() && piece[digits] >= '0' && piece[digits] <= '9') ++digits;
      if (digits > prefix.size()) piece.replace(prefix.size(), digits - prefix.size(), "#");
    }
    masked += piece;
    line = end;
  }
  return masked;
}

std::string maskClock(const std::string& console) {
  return maskDigitsAfter(maskDigitsAfter(console, "   Clock\t\t"), "   CPU time elapsed: ");
}

std::string linkFile(const std::string& body) {
  return "network\nm2\nm3\nm4\nm5\nm6\nm7\nfrom to a1 a2 a3 a4 a5 a6 a7 a8\n" + body;
}

std::string flowFile(const std::string& body) {
  return "flows\nm2\nm3\nm4\nm5\nfrom to   flow second\n" + body;
}

}  // namespace veldmark::testing
