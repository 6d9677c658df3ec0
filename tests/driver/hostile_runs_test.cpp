// The built program run as a careful and as a hostile user would: a console
// whose reader is gone or whose disk is full, a file size limit, symbolic and
// hard links, read-only and sticky directories, a bind-mounted table, the
// table sent to standard output's own file, numbers that run on, NUL bytes,
// flows that overflow the estimate, odd names, too little memory and real
// signals. Every run ends with its exit code and one message line, leaves no
// hidden temporary file, and keeps an old table unless it wrote a new one.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>

#include "support/test_support.h"
#include "tools/network_generator.h"

namespace veldmark {
namespace {

using testing::flowFile;
using testing::linkFile;
using testing::readFile;
using testing::ScratchDir;
namespace fs = std::filesystem;

const std::string kOld = "an old table\n";
constexpr uid_t kNobody = 65534;

enum class Console { kFile, kNull, kGonePipe, kPipe, kFull, kTrips };

// How one run is started, in a scratch directory holding base.txt,
// abstract.txt, flows.txt and an old trips.txt.
struct Launch {
  std::vector<std::string> args = {"base.txt", "abstract.txt", "flows.txt", "trips.txt"};
  Console console = Console::kFile;
  rlim_t fileSize = RLIM_INFINITY;
  rlim_t memory = RLIM_INFINITY;
  bool asNobody = false;  // when run as root: drop to an unprivileged user
};

struct Outcome {
  int exitCode = -1;  // 128 + the signal when one ended the run
  std::string out;    // the console, when it went to a file
  std::string err;
};

void limit(int resource, rlim_t value) {
  const rlimit both{value, value};
  setrlimit(resource, &both);
}

// Starts the program; the caller waits for it. Standard error goes to a
// pipe whose reading end is stored in `errors` (-1 when not wanted), so that
// no file size limit cuts it; with Console::kPipe the console's reading end
// is stored in `console`.
pid_t start(const Launch& launch, const std::string& dir, int* errors = nullptr,
            int* console = nullptr) {
  int pipeEnds[2] = {-1, -1};
  int errorEnds[2] = {-1, -1};
  const bool piped = launch.console == Console::kGonePipe || launch.console == Console::kPipe;
  if (piped && pipe(pipeEnds) != 0) return -1;
  if (errors != nullptr && pipe(errorEnds) != 0) return -1;
  const pid_t child = fork();
  if (child != 0) {
    if (pipeEnds[0] >= 0) close(pipeEnds[1]);
    if (launch.console == Console::kPipe) {
      *console = pipeEnds[0];
    } else if (pipeEnds[0] >= 0) {
      close(pipeEnds[0]);
    }
    if (errors != nullptr) close(errorEnds[1]), *errors = errorEnds[0];
    return child;
  }
  const std::string out = launch.console == Console::kNull    ? "/dev/null"
                          : launch.console == Console::kFull  ? "/dev/full"
                          : launch.console == Console::kTrips ? dir + "/trips.txt"
                                                              : dir + "/.stdout";
  dup2(open("/dev/null", O_RDONLY), 0);
  if (pipeEnds[0] >= 0) {
    close(pipeEnds[0]);  // kGonePipe: the reader is gone before the first line
    dup2(pipeEnds[1], 1);
  } else {
    dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
  }
  dup2(errors != nullptr ? errorEnds[1] : open("/dev/null", O_WRONLY), 2);
  limit(RLIMIT_FSIZE, launch.fileSize);
  limit(RLIMIT_AS, launch.memory);
  if (launch.asNobody && geteuid() == 0 && setuid(kNobody) != 0) _exit(126);
  std::vector<std::string> copies = {VELDMARK_BINARY};
  copies.insert(copies.end(), launch.args.begin(), launch.args.end());
  std::vector<char*> argv;
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  if (chdir(dir.c_str()) == 0) execv(argv[0], argv.data());
  _exit(127);
}

int waitFor(pid_t child) {
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

Outcome run(const Launch& launch, const std::string& dir) {
  Outcome outcome;
  int errors = -1;
  const pid_t child = start(launch, dir, &errors);
  char buffer[4096];
  for (ssize_t got; (got = read(errors, buffer, sizeof buffer)) > 0;)
    outcome.err.append(buffer, got);
  close(errors);
  outcome.exitCode = waitFor(child);
  outcome.out = readFile(dir + "/.stdout");
  fs::remove(dir + "/.stdout");
  return outcome;
}

// Names under `dir` (one level of subdirectories too) of hidden temporary files.
std::vector<std::string> leftovers(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    const std::string name = entry.path().filename();
    if (name.size() > 8 && name[0] == '.' && name[name.size() - 7] == '.') names.push_back(name);
  }
  return names;
}

// The scratch directory of one case, open to the unprivileged user.
struct Inputs : ScratchDir {
  Inputs() {
    write("base.txt", linkFile(testing::kTwoZoneLinks));
    write("abstract.txt", linkFile(testing::kTwoZoneLinks));
    write("flows.txt", flowFile(testing::kTwoZoneFlows));
    write("trips.txt", kOld);
    fs::permissions(path(), fs::perms::all, fs::perm_options::add);
  }
};

// The table and the console of an ordinary run of the inputs.
struct Reference {
  std::string table, console;
};
const Reference& reference() {
  static const Reference made = [] {
    Inputs dir;
    const Outcome outcome = run(Launch{}, dir.path());
    return Reference{readFile(dir.file("trips.txt")), outcome.out};
  }();
  return made;
}

enum class Table { kNew, kOld };

struct HostileCase {
  const char* name;
  std::function<void(Inputs&, Launch&)> prepare;
  int exitCode;
  std::string message;    // the whole standard error line without "veldmark: "; "" for none
  std::string tablePath;  // the file that must hold the new table or the old one
  Table table;
  std::function<void(const Inputs&, const Outcome&)> check = nullptr;
  bool needsRoot = false;
};

bool sameInode(const std::string& a, const std::string& b) {
  struct stat first {
  }, second{};
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_ino == second.st_ino;
}

// A directory `name` in the case's directory with trips.txt (kOld) inside.
std::string tableIn(Inputs& dir, const std::string& name, fs::perms mode, uid_t owner) {
  fs::create_directory(dir.file(name));
  const std::string table = dir.write(name + "/trips.txt", kOld);
  fs::permissions(table, fs::perms(0666));
  if (chown(table.c_str(), owner, owner) != 0) ADD_FAILURE() << "chown " << table;
  fs::permissions(dir.file(name), mode);
  return table;
}

const std::string kFileTooLarge = std::strerror(EFBIG);

const HostileCase kCases[] = {
    {"console reader gone", [](Inputs&, Launch& l) { l.console = Console::kGonePipe; }, 1,
     "standard output: write error: " + std::string(std::strerror(EPIPE)) +
         " (the trip table was written)",
     "trips.txt", Table::kNew},
    {"console on a full device", [](Inputs&, Launch& l) { l.console = Console::kFull; }, 1,
     "standard output: write error: " + std::string(std::strerror(ENOSPC)) +
         " (the trip table was written)",
     "trips.txt", Table::kNew},
    {"file size limit", [](Inputs&, Launch& l) { l.console = Console::kNull, l.fileSize = 100; }, 1,
     "trips.txt: cannot write: " + kFileTooLarge, "trips.txt", Table::kOld},
    {"symbolic link to a file elsewhere",
     [](Inputs& d, Launch& l) {
       tableIn(d, "sub", fs::perms(0755), getuid());
       fs::remove(d.file("trips.txt"));
       fs::create_symlink("sub/trips.txt", d.file("trips.txt"));
       l.args[3] = "trips.txt";
     },
     0, "", "sub/trips.txt", Table::kNew,
     [](const Inputs& d, const Outcome&) { EXPECT_TRUE(fs::is_symlink(d.file("trips.txt"))); }},
    {"symbolic link, failed write",
     [](Inputs& d, Launch& l) {
       tableIn(d, "sub", fs::perms(0755), getuid());
       fs::create_symlink("sub/trips.txt", d.file("link.txt"));
       l.args[3] = "link.txt", l.console = Console::kNull, l.fileSize = 100;
     },
     1, "link.txt: cannot write: " + kFileTooLarge, "sub/trips.txt", Table::kOld},
    {"hard links",
     [](Inputs& d, Launch&) { fs::create_hard_link(d.file("trips.txt"), d.file("other.txt")); }, 0,
     "", "other.txt", Table::kNew,
     [](const Inputs& d, const Outcome&) {
       EXPECT_TRUE(sameInode(d.file("trips.txt"), d.file("other.txt")));
     }},
    {"owner, group and mode kept",
     [](Inputs& d, Launch&) {
       ASSERT_EQ(chown(d.file("trips.txt").c_str(), kNobody, kNobody), 0);
       fs::permissions(d.file("trips.txt"), fs::perms(0640));
     },
     0, "", "trips.txt", Table::kNew,
     [](const Inputs& d, const Outcome&) {
       struct stat info {};
       ASSERT_EQ(stat(d.file("trips.txt").c_str(), &info), 0);
       EXPECT_EQ(info.st_uid, kNobody);
       EXPECT_EQ(info.st_gid, kNobody);
       EXPECT_EQ(info.st_mode & 07777, 0640u);
     },
     true},
    {"writable file in a read-only directory",
     [](Inputs& d, Launch& l) {
       tableIn(d, "ro", fs::perms(0555), kNobody);
       l.args[3] = "ro/trips.txt", l.asNobody = true;
     },
     0, "", "ro/trips.txt", Table::kNew, nullptr, true},
    {"read-only directory, in place fails too",
     [](Inputs& d, Launch& l) {
       tableIn(d, "ro", fs::perms(0555), kNobody);
       l.args[3] = "ro/trips.txt", l.asNobody = true, l.console = Console::kNull, l.fileSize = 100;
     },
     1,
     "ro/trips.txt: cannot write: " + kFileTooLarge +
         " (in place, after no temporary file could be made in ro: " + std::strerror(EACCES) + ")",
     "ro/trips.txt", Table::kOld, nullptr, true},
    {"somebody else's file in a sticky directory",
     [](Inputs& d, Launch& l) {
       tableIn(d, "sticky", fs::perms(01777), 0);
       l.args[3] = "sticky/trips.txt", l.asNobody = true;
     },
     0, "", "sticky/trips.txt", Table::kNew,
     [](const Inputs& d, const Outcome&) {
       struct stat info {};
       ASSERT_EQ(stat(d.file("sticky/trips.txt").c_str(), &info), 0);
       EXPECT_EQ(info.st_uid, 0u);
     },
     true},
    {"table to /dev/stdout, a file", [](Inputs&, Launch& l) { l.args[3] = "/dev/stdout"; }, 0, "",
     "trips.txt", Table::kOld,
     [](const Inputs&, const Outcome& o) {
       const std::string& console = reference().console;
       const std::size_t finish = console.rfind("\n   Clock") + 1;
       EXPECT_EQ(o.out.find('\0'), std::string::npos);
       EXPECT_EQ(testing::maskClock(o.out),
                 testing::maskClock(console.substr(0, finish) + reference().table +
                                    console.substr(finish)));
     }},
    {"table to standard output's own file", [](Inputs&, Launch& l) { l.console = Console::kTrips; },
     0, "", "", Table::kNew,
     [](const Inputs& d, const Outcome&) {
       const std::string file = readFile(d.file("trips.txt"));
       EXPECT_EQ(file.find('\0'), std::string::npos);
       EXPECT_NE(file.find("Iteration: 1\n"), std::string::npos);
       EXPECT_NE(file.find(reference().table + "   Clock\t\t"), std::string::npos) << file;
       EXPECT_TRUE(file.ends_with(" sec\n"));
     }},
    {"flow value runs on",
     [](Inputs& d, Launch&) { d.write("flows.txt", flowFile("1 2   20abc 0\n")); }, 1,
     "flows.txt:7: flow value expected", "trips.txt", Table::kOld},
    {"node number out of range",
     [](Inputs& d, Launch&) {
       d.write("abstract.txt", linkFile(testing::kTwoZoneLinks + "1 2147483648\n"));
     },
     1, "abstract.txt:11: node number out of range", "trips.txt", Table::kOld},
    {"a block of zeros",
     [](Inputs& d, Launch&) {
       d.write("base.txt", linkFile(testing::kTwoZoneLinks + std::string(512, '\0')));
     },
     1, "base.txt:11: NUL byte (not a text file, or a damaged one)", "trips.txt", Table::kOld},
    {"flows that overflow the estimate",
     [](Inputs& d, Launch&) { d.write("flows.txt", flowFile("1 2   9e307 0\n2 1   9e307 0\n")); },
     1,
     "the estimate overflowed: the trip table holds numbers that are not finite (observed flows "
     "up to 9e+307 are too large); no trip table was written",
     "trips.txt", Table::kOld},
    {"one zone: the average is not a number, the table is sound",
     [](Inputs& d, Launch&) {
       d.write("abstract.txt", linkFile("1 1\n"));
       d.write("flows.txt", flowFile("1 1   5 0\n"));
     },
     0, "", "", Table::kOld,
     [](const Inputs& d, const Outcome& o) {
       EXPECT_NE(o.out.find("Average O-D flow difference: -nan\n"), std::string::npos);
       EXPECT_NE(readFile(d.file("trips.txt")).find("    1 :      5.0; \n"), std::string::npos);
     }},
    {"empty file name", [](Inputs&, Launch& l) { l.args[0] = ""; }, 1,
     "'': cannot open: " + std::string(std::strerror(ENOENT)), "trips.txt", Table::kOld},
    // Round three: outputs never replace inputs or each other, the OpenMatrix
    // file follows the trip table's rules, the report tells the truth.
    {"TRIPS is an input", [](Inputs&, Launch& l) { l.args[3] = "./flows.txt"; }, 1,
     "TRIPS './flows.txt' is the same file as FLOWS 'flows.txt': an output never replaces an "
     "input or another output",
     "trips.txt", Table::kOld,
     [](const Inputs& d, const Outcome& o) {
       EXPECT_EQ(readFile(d.file("flows.txt")), flowFile(testing::kTwoZoneFlows));
       EXPECT_EQ(o.out.find("Iteration"), std::string::npos);  // nothing estimated
     }},
    {"--csv is a hard link to BASE",
     [](Inputs& d, Launch& l) {
       fs::create_hard_link(d.file("base.txt"), d.file("t.csv"));
       l.args.insert(l.args.begin(), {"--csv", "t.csv"});
     },
     1,
     "--csv 't.csv' is the same file as BASE 'base.txt': an output never replaces an input or "
     "another output",
     "trips.txt", Table::kOld},
    {"--summary through a dangling link to --fit's new file",
     [](Inputs& d, Launch& l) {
       fs::create_symlink("fit.csv", d.file("s.json"));
       l.args.insert(l.args.end(), {"--fit", "fit.csv", "--summary", "s.json"});
     },
     1,
     "--summary 's.json' is the same file as --fit 'fit.csv': an output never replaces an input "
     "or another output",
     "trips.txt", Table::kOld,
     [](const Inputs& d, const Outcome&) { EXPECT_FALSE(fs::exists(d.file("fit.csv"))); }},
    {"two outputs to /dev/null",
     [](Inputs&, Launch& l) {
       l.args.insert(l.args.end(), {"--csv", "/dev/null", "--fit=/dev/null"});
     },
     0, "", "trips.txt", Table::kNew},
    {"flow line whose separator follows the to-node's digits",
     [](Inputs& d, Launch&) { d.write("flows.txt", flowFile("1 2,  5.0 0\n  2  1;;;7.0 0\n")); }, 0,
     "", "trips.txt", Table::kNew},
    {"flow file given as BASE",
     [](Inputs& d, Launch& l) {
       d.write("flows.txt", flowFile("10293 10294   1380.4200000001001 0.097500000000000003\n" +
                                     testing::kTwoZoneFlows));
       l.args[0] = "flows.txt";
     },
     1,
     "flows.txt:7: metadata line longer than 49 bytes (is this the link flow file? the order is "
     "BASE ABSTRACT FLOWS)",
     "trips.txt", Table::kOld},
    {"link file given as FLOWS", [](Inputs&, Launch& l) { l.args[2] = "base.txt"; }, 1,
     "base.txt:7: from node expected (is this a link file? the order is BASE ABSTRACT FLOWS)",
     "trips.txt", Table::kOld},
    {"--omx through a symbolic link",
     [](Inputs& d, Launch& l) {
       fs::create_directory(d.file("sub"));
       d.write("sub/t.omx", "old");
       fs::create_symlink("sub/t.omx", d.file("link.omx"));
       l.args.insert(l.args.begin(), {"--omx", "link.omx"});
     },
     0, "", "trips.txt", Table::kNew,
     [](const Inputs& d, const Outcome&) {
       EXPECT_TRUE(fs::is_symlink(d.file("link.omx")));
       EXPECT_EQ(readFile(d.file("sub/t.omx")).substr(1, 3), "HDF");
     }},
    {"--omx with hard links",
     [](Inputs& d, Launch& l) {
       d.write("t.omx", "old");
       fs::create_hard_link(d.file("t.omx"), d.file("u.omx"));
       l.args.insert(l.args.begin(), {"--omx", "t.omx"});
     },
     0, "", "trips.txt", Table::kNew,
     [](const Inputs& d, const Outcome&) {
       EXPECT_TRUE(sameInode(d.file("t.omx"), d.file("u.omx")));
       EXPECT_EQ(readFile(d.file("u.omx")).substr(1, 3), "HDF");
     }},
    {"--omx past a file size limit",
     [](Inputs& d, Launch& l) {
       d.write("t.omx", "old");
       l.args.insert(l.args.begin(), {"--omx", "t.omx"});
       l.console = Console::kNull, l.fileSize = 1024;
     },
     1, "t.omx: cannot write: " + kFileTooLarge, "trips.txt", Table::kNew,
     [](const Inputs& d, const Outcome&) { EXPECT_EQ(readFile(d.file("t.omx")), "old"); }},
    {"--omx /dev/null",
     [](Inputs&, Launch& l) {
       l.args.insert(l.args.begin(), {"--omx", "/dev/null"});
     },
     0, "", "trips.txt", Table::kNew,
     [](const Inputs&, const Outcome&) {
       struct stat info {};
       ASSERT_EQ(stat("/dev/null", &info), 0);
       EXPECT_TRUE(S_ISCHR(info.st_mode));
     }},
    {"report of a table that could not be written",
     [](Inputs&, Launch& l) {
       l.args[3] = "nodir/trips.txt";
       l.args.insert(l.args.begin(), {"--report", "r.html"});
     },
     1, "nodir/trips.txt: cannot write: " + std::string(std::strerror(ENOENT)), "trips.txt",
     Table::kOld,
     [](const Inputs& d, const Outcome&) {
       const std::string html = readFile(d.file("r.html"));
       EXPECT_NE(html.find("could <strong>not</strong> be written to"), std::string::npos);
       EXPECT_EQ(html.find("was written to"), std::string::npos);
     }},
    {"--reference from a pipe",
     [](Inputs& d, Launch& l) {
       d.write("ref.csv", "o_zone_id,d_zone_id,volume\n1,2,5\n2,1,7\n");
       ASSERT_EQ(mkfifo(d.file("fifo").c_str(), 0600), 0);
       std::thread([path = d.file("fifo")] {
         const int fd = open(path.c_str(), O_WRONLY);
         const std::string text = "o_zone_id,d_zone_id,volume\n1,2,5\n2,1,7\n";
         if (fd >= 0 && write(fd, text.data(), text.size()) > 0) close(fd);
       }).detach();
       l.args.insert(l.args.begin(), {"--reference", "fifo", "--summary", "s.json"});
     },
     0, "", "trips.txt", Table::kNew,
     [](const Inputs& d, const Outcome&) {
       EXPECT_NE(readFile(d.file("s.json")).find("\"r_squared\": 1.0"), std::string::npos);
     }},
    {"lines that end with a CR alone",
     [](Inputs& d, Launch&) {
       std::string text = flowFile(testing::kTwoZoneFlows + std::string(60, '#') + "\n");
       for (char& c : text) c = c == '\n' ? '\r' : c;
       d.write("flows.txt", text);
     },
     1, "flows.txt:1: lines end with a CR alone; convert the line ends to LF", "trips.txt",
     Table::kOld},
};

TEST(HostileRuns, EachEndsWithItsCodeAndMessageAndLeavesNoDebris) {
  for (const HostileCase& row : kCases) {
    SCOPED_TRACE(row.name);
    if (row.needsRoot && geteuid() != 0) continue;
    if (std::string(row.name).ends_with("full device") && !fs::exists("/dev/full")) continue;
    Inputs dir;
    Launch launch;
    row.prepare(dir, launch);
    const Outcome outcome = run(launch, dir.path());
    EXPECT_EQ(outcome.exitCode, row.exitCode);
    EXPECT_EQ(testing::withoutWarnings(outcome.err),
              row.message.empty() ? "" : "veldmark: " + row.message + "\n");
    if (!row.tablePath.empty()) {
      const std::string expected = row.table == Table::kNew ? reference().table : kOld;
      EXPECT_EQ(readFile(dir.file(row.tablePath)), expected);
    }
    if (row.check) row.check(dir, outcome);
    EXPECT_EQ(leftovers(dir.path()), std::vector<std::string>{});
    for (const char* sub : {"ro", "sticky"}) {
      if (fs::exists(dir.file(sub))) fs::permissions(dir.file(sub), fs::perms::all);
    }
  }
}

// A single file bind-mounted over the table: the rename over it is refused
// (EBUSY), so it is written in place. Needs root and a mount namespace that
// allows it; skipped otherwise.
TEST(HostileRuns, BindMountedTableIsWrittenInPlace) {
  Inputs dir;
  const std::string source = dir.write("source.txt", kOld);
  if (mount(source.c_str(), dir.file("trips.txt").c_str(), nullptr, MS_BIND, nullptr) != 0) {
    GTEST_SKIP() << "mount --bind: " << std::strerror(errno);
  }
  const Outcome outcome = run(Launch{}, dir.path());
  umount2(dir.file("trips.txt").c_str(), MNT_DETACH);
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
  EXPECT_EQ(readFile(source), reference().table);
  EXPECT_EQ(leftovers(dir.path()), std::vector<std::string>{});
}

// Memory limits from too little to start the program to enough for the run:
// every run that starts ends with code 0 or 1 and one message line, never an
// abort on an uncaught std::bad_alloc; some limit stops it while it reads the
// files. A limit at which the loader cannot map the program (exit 127, or a
// crash before main that `--version` shares) is skipped. In a band a few KiB wide just above the
// loader's own limit, the C++ runtime cannot allocate even the exception object and terminates
// without one; that is outside the program's reach and allowed at no more than two of the limits
// tried.
TEST(HostileRuns, TooLittleMemoryEndsWithAMessage) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves more address space than any limit here";
#endif
  bool whileReading = false;
  int runtimeCannotThrow = 0;
  for (rlim_t kib = 4096; kib <= 12288; kib += 64) {
    SCOPED_TRACE(kib);
    Inputs dir;
    Launch launch;
    launch.memory = kib * 1024;
    const Outcome outcome = run(launch, dir.path());
    if (outcome.exitCode == 127) continue;  // the loader could not map the program
    if (outcome.exitCode == 128 + SIGSEGV) {
      // Just below the loader's limit it may map the program and crash before
      // main: then the same limit crashes a run that only prints the version.
      Launch version = launch;
      version.args = {"--version"};
      const Outcome bare = run(version, dir.path());
      if (bare.exitCode == 128 + SIGSEGV && bare.out.empty()) continue;
    }
    if (outcome.exitCode == 128 + SIGABRT &&
        outcome.err == "terminate called without an active exception\n") {
      ++runtimeCannotThrow;
      continue;
    }
    ASSERT_LE(outcome.exitCode, 1) << outcome.err;
    if (outcome.exitCode == 0) continue;
    const std::string errors = testing::withoutWarnings(outcome.err);
    EXPECT_EQ(errors.rfind("veldmark: ", 0), 0u) << outcome.err;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << outcome.err;
    whileReading = whileReading || outcome.err == "veldmark: out of memory\n";
  }
  EXPECT_TRUE(whileReading);
  EXPECT_LE(runtimeCannotThrow, 2);
}

// --- Real signals -------------------------------------------------------------

// A network of 150 zones: a few tenths of a second of estimation and a table
// of 400 KB, so that the temporary file lives for a while (its sync).
void writeLargeNetwork(const ScratchDir& dir) {
  testing::GeneratorOptions options;
  options.zones = 150;
  options.seed = 3;
  const testing::GeneratedNetwork network = testing::generateNetwork(options);
  dir.write("base.txt", network.base);
  dir.write("abstract.txt", network.abstract);
  dir.write("flows.txt", network.flows);
  dir.write("trips.txt", kOld);
}

// Waits until a hidden file appears in the watched directory; false when the
// program ended first.
bool hiddenFileCreated(int watch, pid_t child) {
  char events[4096] __attribute__((aligned(alignof(inotify_event))));
  for (;;) {
    pollfd ready{watch, POLLIN, 0};
    if (poll(&ready, 1, 20) == 1) {
      const ssize_t size = read(watch, events, sizeof events);
      for (ssize_t at = 0; at < size;) {
        const auto* event = reinterpret_cast<const inotify_event*>(events + at);
        if (event->len > 0 && event->name[0] == '.' && event->name[1] == 't') return true;
        at += sizeof(inotify_event) + event->len;
      }
    } else {
      siginfo_t info{};
      waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT);
      if (info.si_pid != 0) return false;
    }
  }
}

// SIGTERM, SIGINT and SIGHUP while the temporary file exists: the program is
// stopped as soon as the file appears, the signal is sent and it is let go.
// It must die by that signal, remove the file and keep the old table.
TEST(HostileRuns, SignalsWhileTheTableIsWrittenLeaveNoTemporaryFile) {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    int caught = 0;
    int attempts = 0;
    for (int attempt = 0; attempt < 10 && caught == 0; ++attempt) {
      ++attempts;
      ScratchDir dir;
      writeLargeNetwork(dir);
      const int watch = inotify_init1(IN_CLOEXEC);
      inotify_add_watch(watch, dir.path().c_str(), IN_CREATE);
      Launch launch;
      launch.console = Console::kNull;
      const pid_t child = start(launch, dir.path());
      if (hiddenFileCreated(watch, child)) {
        kill(child, SIGSTOP);
        if (!leftovers(dir.path()).empty()) caught = signal, kill(child, signal);
        kill(child, SIGCONT);
      }
      close(watch);
      const int code = waitFor(child);
      if (caught == 0) continue;  // the file was already renamed: try again
      EXPECT_EQ(code, 128 + signal);
      EXPECT_EQ(leftovers(dir.path()), std::vector<std::string>{});
      EXPECT_EQ(readFile(dir.file("trips.txt")), kOld);
    }
    EXPECT_EQ(caught, signal) << "the temporary file was never seen in " << attempts << " runs";
  }
}

// Reads the console from `console` until the first pivot pass has begun
// (its dot); false when the console ended first.
bool firstPassBegun(int console) {
  std::string seen;
  char buffer[512];
  for (ssize_t got; (got = read(console, buffer, sizeof buffer)) > 0;) {
    seen.append(buffer, static_cast<std::size_t>(got));
    if (seen.find("Pivot move over the linear space .") != std::string::npos) return true;
  }
  return false;
}

// SIGTERM during the estimation (once the first pass has begun, of some
// hundred, however busy the machine) ends the run by that signal; nothing is
// written and nothing is left.
TEST(HostileRuns, SignalDuringTheEstimationLeavesTheOldTable) {
  ScratchDir dir;
  writeLargeNetwork(dir);
  Launch launch;
  launch.console = Console::kPipe;
  int console = -1;
  const pid_t child = start(launch, dir.path(), nullptr, &console);
  EXPECT_TRUE(firstPassBegun(console));
  kill(child, SIGTERM);
  EXPECT_EQ(waitFor(child), 128 + SIGTERM);
  close(console);
  EXPECT_EQ(readFile(dir.file("trips.txt")), kOld);
  EXPECT_EQ(leftovers(dir.path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace veldmark
