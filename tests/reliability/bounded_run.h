// Running the built binary under a time bound, with its peak memory: the
// reliability tests' runner. The child gets an alarm before it executes the
// binary (an alarm survives execve), so a run that does not end in time is
// ended by SIGALRM; wait4 reports its peak resident set either way.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace veldmark::testing {

struct BoundedRun {
  int exitCode = -1;       // the exit code, or 128 + the signal that ended the run
  bool timedOut = false;   // ended by the alarm
  std::string out;         // standard output
  std::string err;         // standard error
  long peakRssKib = 0;     // peak resident set size of the run
  double wallSeconds = 0;  // wall-clock time of the run
};

/// Runs the veldmark binary with `args` in `workDir` for at most `seconds`.
inline BoundedRun runBounded(const std::vector<std::string>& args, const std::string& workDir,
                             unsigned seconds) {
  BoundedRun result;
  const std::string outPath = workDir + "/.bounded-stdout";
  const std::string errPath = workDir + "/.bounded-stderr";
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || chdir(workDir.c_str()) != 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    std::string binary = VELDMARK_BINARY;
    std::vector<std::string> copies(args);
    std::vector<char*> argv{binary.data()};
    for (std::string& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    alarm(seconds);
    execv(binary.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  result.wallSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.peakRssKib = usage.ru_maxrss;
  result.timedOut = WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = readFile(outPath);
  result.err = readFile(errPath);
  std::remove(outPath.c_str());
  std::remove(errPath.c_str());
  return result;
}

}  // namespace veldmark::testing
