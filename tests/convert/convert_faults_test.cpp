// veldmark-convert under faults, through the built program: too little
// memory ends with "out of memory" (never an abort), and a termination signal
// while OUTDIR or an OpenMatrix file is written leaves nothing behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace veldmark {
namespace {

using testing::ScratchDir;
namespace fs = std::filesystem;

// A TNTP network of `links` links and a counts table for every one of them.
void writeNetwork(const ScratchDir& dir, int links) {
  std::string net = "<NUMBER OF ZONES> 10\n<END OF METADATA>\n";
  std::string counts = "from_node_id,to_node_id,count\n";
  for (int k = 0; k < links; ++k) {
    const std::string from = std::to_string(k / 2 + 1);
    const std::string to = std::to_string(k / 2 + 2 + k % 2);
    net += from + "\t" + to + "\t1800.5\t0.25\t1.125\t0.15\t4\t50\t0\t1\t;\n";
    counts += from + "," + to + "," + std::to_string(100 + k % 700) + "\n";
  }
  dir.write("net.tntp", net);
  dir.write("counts.csv", counts);
}

// Starts veldmark-convert with `args` in `dir`, its standard error into
// `errors` (a pipe's reading end) and the address space limited to `memory`.
pid_t start(const std::vector<std::string>& args, const std::string& dir, rlim_t memory,
            int& errors) {
  int ends[2];
  if (pipe(ends) != 0) return -1;
  const pid_t child = fork();
  if (child != 0) {
    close(ends[1]);
    errors = ends[0];
    return child;
  }
  dup2(open("/dev/null", O_RDWR), 0);
  dup2(open("/dev/null", O_RDWR), 1);
  dup2(ends[1], 2);
  const rlimit limit{memory, memory};
  setrlimit(RLIMIT_AS, &limit);
  std::vector<std::string> copies = {VELDMARK_CONVERT_BINARY};
  copies.insert(copies.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  if (chdir(dir.c_str()) == 0) execv(argv[0], argv.data());
  _exit(127);
}

int finish(pid_t child, int errors, std::string& text) {
  char buffer[4096];
  for (ssize_t got; (got = read(errors, buffer, sizeof buffer)) > 0;) text.append(buffer, got);
  close(errors);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Hidden names (".out.XXXXXX", ".t.omx.XXXXXX") anywhere under `dir`.
std::vector<std::string> leftovers(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    const std::string name = entry.path().filename();
    if (name[0] == '.') names.push_back(name);
  }
  return names;
}

// Memory limits from far too little to enough: every run that starts ends
// with 0, or 1 and one "veldmark-convert: ..." line; some limit gives "out
// of memory". A run the runtime cannot even start (exit 127) is skipped.
TEST(ConvertFaults, TooLittleMemoryEndsWithAMessage) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves more address space than any limit here";
#endif
  ScratchDir dir;
  writeNetwork(dir, 40000);
  bool outOfMemory = false;
  for (rlim_t mib = 8; mib <= 96; mib += 8) {
    SCOPED_TRACE(mib);
    fs::remove_all(dir.file("out"));
    int errors = -1;
    const pid_t child =
        start({"tntp", "net.tntp", "counts.csv", "out"}, dir.path(), mib << 20, errors);
    std::string text;
    const int code = finish(child, errors, text);
    if (code == 127) continue;
    ASSERT_LE(code, 1) << text;
    EXPECT_EQ(leftovers(dir.path()), std::vector<std::string>{});
    if (code == 0) continue;
    EXPECT_EQ(text.rfind("veldmark-convert: ", 0), 0u) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    outOfMemory = outOfMemory || text == "veldmark-convert: out of memory\n";
  }
  EXPECT_TRUE(outOfMemory);
}

// True once a hidden entry appears in the watched directory; false when the
// program ended first.
bool hiddenEntryCreated(int watch, pid_t child) {
  char events[4096] __attribute__((aligned(alignof(inotify_event))));
  for (;;) {
    pollfd ready{watch, POLLIN, 0};
    if (poll(&ready, 1, 5) == 1) {
      const ssize_t size = read(watch, events, sizeof events);
      for (ssize_t at = 0; at < size;) {
        const auto* event = reinterpret_cast<const inotify_event*>(events + at);
        if (event->len > 0 && event->name[0] == '.') return true;
        at += sizeof(inotify_event) + event->len;
      }
    } else {
      siginfo_t info{};
      waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT);
      if (info.si_pid != 0) return false;
    }
  }
}

// SIGTERM, SIGINT and SIGHUP sent while the temporary directory (OUTDIR) or
// the temporary file (an OMX table) exists: the program dies by the signal
// and leaves neither the temporary nor the output behind.
TEST(ConvertFaults, SignalsWhileWritingLeaveNothingBehind) {
  ScratchDir dir;
  writeNetwork(dir, 60000);
  // A trip table of 800 zones whose values compress badly: megabytes of
  // OpenMatrix file to write and sync.
  std::string table;
  for (int i = 1; i <= 800; ++i) {
    table += "Origin " + std::to_string(i) + "\n";
    for (int j = 1; j <= 800; ++j) {
      table += std::to_string(j) + " : " + std::to_string((i * 7919 + j * 104729) % 100003 / 7.0) +
               ";\n";
    }
  }
  dir.write("t.txt", table);
  const std::vector<std::vector<std::string>> commands = {{"tntp", "net.tntp", "counts.csv", "out"},
                                                          {"table", "t.txt", "t.omx"}};
  const std::string outputs[] = {"out", "t.omx"};
  for (std::size_t c = 0; c < commands.size(); ++c) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
      SCOPED_TRACE(outputs[c] + " " + std::to_string(signal));
      bool caught = false;
      for (int attempt = 0; attempt < 10 && !caught; ++attempt) {
        fs::remove_all(dir.file(outputs[c]));
        const int watch = inotify_init1(IN_CLOEXEC);
        inotify_add_watch(watch, dir.path().c_str(), IN_CREATE);
        int errors = -1;
        const pid_t child = start(commands[c], dir.path(), RLIM_INFINITY, errors);
        if (hiddenEntryCreated(watch, child)) {
          kill(child, SIGSTOP);
          if (!leftovers(dir.path()).empty()) caught = true, kill(child, signal);
          kill(child, SIGCONT);
        }
        close(watch);
        std::string text;
        const int code = finish(child, errors, text);
        if (!caught) continue;  // written before it could be stopped: try again
        EXPECT_EQ(code, 128 + signal) << text;
        EXPECT_EQ(leftovers(dir.path()), std::vector<std::string>{});
        EXPECT_FALSE(fs::exists(dir.file(outputs[c])));
      }
      EXPECT_TRUE(caught) << "the temporary was never seen";
    }
  }
}

}  // namespace
}  // namespace veldmark
