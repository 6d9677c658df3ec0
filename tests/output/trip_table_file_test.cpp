// Writing the trip table file: the whole text replaces the old file at once,
// or the old file stays and the failure names the path and the reason.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <thread>

#include "output/trip_table_format.h"
#include "output/trip_table_writer.h"
#include "output/trip_tables.h"
#include "support/test_support.h"

namespace veldmark {
namespace {

using testing::readFile;
using testing::ScratchDir;

const DenseMatrix kTable = testing::tripTable(2, {0, 120.5, 79.5, 0});
const std::vector<NodeId> kZones = {10, 20};
const std::vector<std::uint8_t> kFlags = {1, 1};

Status write(const std::string& path) {
  return writeTripTable(path, kTable, kZones, kZones, kFlags);
}

std::string expectedText() {
  std::ostringstream out;
  formatTripTable(out, kTable, kZones, kZones, kFlags);
  return out.str();
}

// Hidden temporaries included.
long entryCount(const std::string& directory) {
  const std::filesystem::directory_iterator entries(directory);
  return std::distance(begin(entries), end(entries));
}

mode_t permissions(const std::string& path) {
  struct stat info {};
  stat(path.c_str(), &info);
  return info.st_mode & 0777;
}

// An existing file keeps its permission bits, a new one gets the umask's,
// even with a name that leaves no room for a suffix; nothing stays beside it.
TEST(WriteTripTable, ReplacesOrCreatesTheFileWithItsPermissions) {
  ScratchDir dir;
  const std::string existing = dir.write("trips.txt", "an older, longer table than this one\n");
  chmod(existing.c_str(), 0604);
  const std::string created = dir.file(std::string(250, 'n'));
  const mode_t saved = umask(027);
  const Status first = write(existing), second = write(created);
  umask(saved);
  ASSERT_TRUE(first.ok() && second.ok()) << first.message << second.message;
  for (const auto& [path, mode] : {std::pair{existing, 0604u}, std::pair{created, 0640u}}) {
    EXPECT_EQ(readFile(path), expectedText());
    EXPECT_EQ(permissions(path), mode);
  }
  EXPECT_EQ(entryCount(dir.path()), 2);
}

TEST(WriteTripTable, FailureNamesThePathAndTheReasonAndLeavesTheOldFile) {
  ScratchDir dir;
  const std::string missing = dir.file("no/such/dir/trips.txt");
  EXPECT_EQ(write(missing).message, missing + ": cannot write: No such file or directory");
  EXPECT_EQ(write(dir.path()).message, dir.path() + ": cannot write: Is a directory");
  EXPECT_EQ(write("/dev/full").message, "/dev/full: cannot write: No space left on device");
  EXPECT_EQ(entryCount(dir.path()), 0);
  // Past the file size limit (which binds root too) a write fails part way.
  const std::string path = dir.write("trips.txt", "previous table\n");
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit = {32, RLIM_INFINITY};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(write(path).message == path + ": cannot write: File too large" ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(readFile(path), "previous table\n");
  EXPECT_EQ(entryCount(dir.path()), 1);
}

TEST(WriteTripTable, WritesDevicesPipesAndLinksDirectly) {
  EXPECT_TRUE(write("/dev/null").ok());
  ScratchDir dir;
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = readFile(fifo); });
  EXPECT_TRUE(write(fifo).ok());
  reader.join();
  EXPECT_EQ(received, expectedText());
  const std::string target = dir.write("target.txt", "old\n"), link = dir.file("link.txt");
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  EXPECT_TRUE(write(link).ok());
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(readFile(target), expectedText());
}

}  // namespace
}  // namespace veldmark
