// The progress line: drawn on standard error only when it is a terminal (a
// pseudo-terminal here), rewritten in place, erased at the end, never on the
// console; the thread count from --threads, VELDMARK_THREADS or the CPUs the
// process may use, and a run on one thread starts no thread.
#include "driver/progress.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/thread_count.h"
#include "estimation/linearised/workspace.h"
#include "support/test_support.h"
#include "tools/network_generator.h"

namespace veldmark::testing {
namespace {

struct TerminalRun {
  int exitCode = -1;
  std::string terminal;  // what the program wrote to the terminal (its standard error)
  std::string out;       // its standard output, a file
};

// Runs the binary in `dir` with standard error (and input) on a
// pseudo-terminal and standard output to a file, or to the terminal too.
TerminalRun runOnTerminal(const std::vector<std::string>& args, const ScratchDir& dir,
                          bool consoleOnTerminal = false) {
  TerminalRun run;
  const std::string outPath = dir.file(".stdout");
  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child == 0) {
    if (!consoleOnTerminal) dup2(open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    std::vector<std::string> copies = {VELDMARK_BINARY};
    copies.insert(copies.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (chdir(dir.path().c_str()) == 0) execv(argv[0], argv.data());
    _exit(127);
  }
  if (child < 0) return run;
  // The terminal's other end held open here: a read then never ends (EIO)
  // before the kernel has handed over the last of what the child wrote,
  // which it does after the child has gone. Read until the child has
  // exited and the terminal has then stayed silent for 200 ms.
  const int other = open(ptsname(terminal), O_RDWR | O_NOCTTY);
  int status = 0;
  bool exited = false;
  char buffer[4096];
  for (;;) {
    pollfd ready{terminal, POLLIN, 0};
    const int events = poll(&ready, 1, exited ? 200 : 20);
    if (events > 0) {
      const ssize_t got = read(terminal, buffer, sizeof buffer);
      if (got > 0) run.terminal.append(buffer, static_cast<std::size_t>(got));
      if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) break;
    } else if (events == 0 && exited) {
      break;
    }
    if (!exited) exited = waitpid(child, &status, WNOHANG) == child;
  }
  if (other >= 0) close(other);
  close(terminal);
  if (!exited) waitpid(child, &status, 0);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = readFile(outPath);
  return run;
}

void writeNetwork(const ScratchDir& dir) {
  const GeneratedNetwork network = generateNetwork({12, 2.0, 3});
  dir.write("base.txt", network.base);
  dir.write("abstract.txt", network.abstract);
  dir.write("flows.txt", network.flows);
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// True when `text` holds " D+.D passes/s, D+:[0-5]D": a rate and a clock.
bool showsRateAndClock(const std::string& text) {
  const std::string mark = " passes/s, ";
  for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + 1)) {
    long i = static_cast<long>(at) - 1;  // back over "D+.D"
    const bool tenths = i >= 1 && isDigit(text[i]) && text[i - 1] == '.';
    i -= 2;
    const long units = i;
    while (i >= 0 && isDigit(text[i])) --i;
    const bool rate = tenths && i < units && i >= 0 && text[i] == ' ';
    std::size_t j = at + mark.size();  // forward over "D+:[0-5]D"
    const std::size_t minutes = j;
    while (j < text.size() && isDigit(text[j])) ++j;
    const bool clock = j > minutes && j + 2 < text.size() && text[j] == ':' && text[j + 1] >= '0' &&
                       text[j + 1] <= '5' && isDigit(text[j + 2]);
    if (rate && clock) return true;
  }
  return false;
}

TEST(Progress, LineOnlyOnATerminalErasedAtTheEndConsoleUnchanged) {
  if (!std::filesystem::exists(VELDMARK_BINARY)) GTEST_SKIP() << "not built: " VELDMARK_BINARY;
  ScratchDir dir;
  writeNetwork(dir);
  const std::vector<std::string> files = {"base.txt", "abstract.txt", "flows.txt", "trips.txt"};
  const RunResult plain = runVeldmark(files, dir.path());
  ASSERT_EQ(plain.exitCode, 0);
  // Standard error a file: the warnings only, no line.
  EXPECT_EQ(plain.err.find('\r'), std::string::npos);
  EXPECT_EQ(plain.err.find("passes/s"), std::string::npos);
  // The terminal shows standard error's line ends as CR LF.
  std::string warnings;
  for (const char c : plain.err) warnings += c == '\n' ? std::string("\r\n") : std::string(1, c);

  const TerminalRun shown = runOnTerminal(files, dir);
  ASSERT_EQ(shown.exitCode, 0);
  EXPECT_EQ(maskClock(shown.out), maskClock(plain.out));
  const std::string erase = "\r\033[K";
  // The run's limits beside its counts: 25 iterations, 500 passes in each.
  EXPECT_EQ(shown.terminal.rfind(erase + "iteration 1 of at most 25, pass 1 of at most 500, ", 0),
            0u)
      << shown.terminal;
  EXPECT_TRUE(showsRateAndClock(shown.terminal)) << shown.terminal;
  // Erased before the warnings, and one line rewritten in place until then.
  ASSERT_GE(shown.terminal.size(), 2 * erase.size() + warnings.size());
  const std::size_t lineEnd = shown.terminal.size() - warnings.size();
  EXPECT_EQ(shown.terminal.substr(lineEnd), warnings);
  EXPECT_EQ(shown.terminal.substr(lineEnd - erase.size(), erase.size()), erase);
  EXPECT_EQ(shown.terminal.substr(0, lineEnd).find('\n'), std::string::npos);

  std::vector<std::string> quiet = files;
  quiet.insert(quiet.begin(), "--no-progress");
  const TerminalRun hidden = runOnTerminal(quiet, dir);
  ASSERT_EQ(hidden.exitCode, 0);
  EXPECT_EQ(hidden.terminal, warnings);
  EXPECT_EQ(maskClock(hidden.out), maskClock(plain.out));

  // The console on the same terminal: its dots show the passes, and no
  // status line erases them.
  const TerminalRun shared = runOnTerminal(files, dir, true);
  ASSERT_EQ(shared.exitCode, 0);
  EXPECT_EQ(shared.terminal.find("\033[K"), std::string::npos);
  EXPECT_EQ(shared.terminal.find("passes/s"), std::string::npos);
  EXPECT_NE(shared.terminal.find("Pivot move over the linear space ."), std::string::npos);
}

TEST(Progress, TextAndRateOfRedraws) {
  const ProgressLimits limits{25, 500};
  EXPECT_EQ(progressText(2, 317, limits, 634, 64.9),
            "iteration 2 of at most 25, pass 317 of at most 500, 9.8 passes/s, 1:04");
  EXPECT_EQ(progressText(1, 1, limits, 1, 0.0),
            "iteration 1 of at most 25, pass 1 of at most 500, 0.0 passes/s, 0:00");
  EXPECT_EQ(progressText(3, 9, {7, 40}, 5000, 3725.0),
            "iteration 3 of at most 7, pass 9 of at most 40, 1.3 passes/s, 1:02:05");
  // The first pass draws; a burst within 200 ms of the last drawing does
  // not (the drawing's time is set ahead, so that however slowly the burst
  // runs it stays within the interval); the first pass 200 ms after it
  // draws again; the line is erased once.
  std::ostringstream terminal;
  ProgressLine line = startProgress(terminal, true, limits);
  const auto hook = progressHook(line);
  hook(1, 1);
  line.lastDraw = ProgressLine::Clock::now() + std::chrono::hours(1);
  for (int pass = 2; pass <= 1000; ++pass) hook(1, pass);
  EXPECT_EQ(terminal.str().find("\r\033[K", 1), std::string::npos) << terminal.str();
  line.lastDraw = ProgressLine::Clock::now() - std::chrono::milliseconds(200);
  hook(2, 1);
  eraseProgress(line);
  eraseProgress(line);
  const std::string text = terminal.str();
  EXPECT_EQ(text.rfind("\r\033[Kiteration 1 of at most 25, pass 1 of at most 500, ", 0), 0u);
  const std::size_t second = text.find("\r\033[K", 1);
  EXPECT_EQ(text.find("\r\033[Kiteration 2 of at most 25, pass 1 of at most 500, ", 1), second)
      << text;
  EXPECT_EQ(text.find("\r\033[K", second + 1), text.size() - 4) << text;  // erased once
  std::ostringstream none;
  ProgressLine off = startProgress(none, false, limits);
  EXPECT_FALSE(progressHook(off));
  eraseProgress(off);
  EXPECT_EQ(none.str(), "");
}

int taskCount() {
  int tasks = 0;
  for ([[maybe_unused]] const auto& entry :
       std::filesystem::directory_iterator("/proc/self/task")) {
    ++tasks;
  }
  return tasks;
}

TEST(ThreadCount, OptionThenEnvironmentThenAffinityAndOneThreadStartsNone) {
  Options options;
  options.threads = 5;
  EXPECT_TRUE(settleThreadCount("3", options).ok());
  EXPECT_EQ(options.threads, 5);  // --threads wins
  options.threads = 0;
  EXPECT_TRUE(settleThreadCount("3", options).ok());
  EXPECT_EQ(options.threads, 3);
  for (const char* unset : {static_cast<const char*>(nullptr), ""}) {
    options.threads = 0;
    EXPECT_TRUE(settleThreadCount(unset, options).ok());
    EXPECT_EQ(options.threads, affinityCpuCount());
  }
  EXPECT_GE(affinityCpuCount(), 1);
  for (const char* bad : {"0", "1025", "two", "2 ", "-1"}) {
    options.threads = 0;
    EXPECT_EQ(
        settleThreadCount(bad, options).message,
        std::string("VELDMARK_THREADS needs a whole number from 1 to 1024, not '") + bad + "'");
  }
  // The program says so on standard error, before the banner.
  ScratchDir dir;
  setenv("VELDMARK_THREADS", "x", 1);
  const RunResult run = runVeldmark({"base.txt", "abstract.txt", "flows.txt"}, dir.path());
  unsetenv("VELDMARK_THREADS");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "veldmark: VELDMARK_THREADS needs a whole number from 1 to 1024, not 'x'\n");

  // One thread starts none; three start two, which end with the workspace;
  // none either when every step of a pass fits in one chunk (181 x 181
  // entries do, 182 x 182 do not).
  static_assert(181 * 181 <= kEntriesPerChunk && 182 * 182 > kEntriesPerChunk);
  const int before = taskCount();
  {
    EstimationWorkspace one, three, small;
    EstimationSettings settings;
    ASSERT_TRUE(allocateWorkspace(70, 182, one, settings).ok());
    EXPECT_EQ(one.Team, nullptr);
    EXPECT_EQ(taskCount(), before);
    settings.threads = 3;
    ASSERT_TRUE(allocateWorkspace(70, 181, small, settings).ok());
    EXPECT_EQ(small.Team, nullptr);
    EXPECT_EQ(taskCount(), before);
    ASSERT_TRUE(allocateWorkspace(70, 182, three, settings).ok());
    EXPECT_EQ(taskCount(), before + 2);
  }
  EXPECT_EQ(taskCount(), before);
}

}  // namespace
}  // namespace veldmark::testing
