#include "support/test_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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
  std::ofstream(file(name), std::ios::binary) << content;
  return file(name);
}

std::string readFile(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

RunResult runBinary(const std::string& binary, const std::vector<std::string>& args,
                    const std::string& workDir) {
  const std::string outPath = workDir + "/.stdout", errPath = workDir + "/.stderr";
  const pid_t child = fork();
  if (child == 0) {
    dup2(open("/dev/null", O_RDONLY), 0);
    dup2(open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    dup2(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    std::vector<std::string> copies = {binary};
    copies.insert(copies.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (chdir(workDir.c_str()) == 0) execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  RunResult result{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
                   readFile(outPath), readFile(errPath)};
  std::filesystem::remove(outPath);
  std::filesystem::remove(errPath);
  return result;
}

RunResult runVeldmark(const std::vector<std::string>& args, const std::string& workDir) {
  return runBinary(VELDMARK_BINARY, args, workDir);
}

std::string maskClock(std::string console) {
  for (const std::string prefix : {"   Clock\t\t", "   CPU time elapsed: "}) {
    for (std::size_t at = console.find(prefix); at != std::string::npos;
         at = console.find(prefix, at + 1)) {
      const std::size_t digits = at + prefix.size();
      const std::size_t end = console.find_first_not_of("0123456789", digits);
      if ((at == 0 || console[at - 1] == '\n') && end > digits) {
        console.replace(digits, end - digits, "#");
      }
    }
  }
  return console;
}

std::string linkFile(const std::string& body) {
  return "network\nm2\nm3\nm4\nm5\nm6\nm7\nfrom to a1 a2 a3 a4 a5 a6 a7 a8\n" + body;
}

std::string flowFile(const std::string& body) {
  return "flows\nm2\nm3\nm4\nm5\nfrom to   flow second\n" + body;
}

}  // namespace veldmark::testing
