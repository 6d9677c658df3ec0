#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

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

// The names in a directory, hidden temporaries included.
std::vector<std::string> entries(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

mode_t permissions(const std::string& path) {
  struct stat info {};
  stat(path.c_str(), &info);
  return info.st_mode & 0777;
}

TEST(WriteTripTable, ReplacesAnExistingFileKeepingItsPermissions) {
  ScratchDir dir;
  const std::string path = dir.write("trips.txt", "an older, longer table than this one will be\n");
  chmod(path.c_str(), 0640);
  ASSERT_TRUE(write(path).ok());
  EXPECT_EQ(readFile(path), expectedText());
  EXPECT_EQ(permissions(path), 0640u);
  EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"trips.txt"});
}

TEST(WriteTripTable, CreatesANewFileWithTheUmaskPermissions) {
  ScratchDir dir;
  const std::string longName(250, 'n');  // no room for a suffix in a 255-byte name
  const mode_t saved = umask(027);
  const Status status = write(dir.file(longName));
  umask(saved);
  ASSERT_TRUE(status.ok()) << status.message;
  EXPECT_EQ(readFile(dir.file(longName)), expectedText());
  EXPECT_EQ(permissions(dir.file(longName)), 0640u);
  EXPECT_EQ(entries(dir.path()), std::vector<std::string>{longName});
}

TEST(WriteTripTable, FailsWithThePathAndTheSystemsReason) {
  ScratchDir dir;
  const std::string missing = dir.file("no/such/dir/trips.txt");
  EXPECT_EQ(write(missing).message, missing + ": cannot write: No such file or directory");
  EXPECT_EQ(write(dir.path()).message, dir.path() + ": cannot write: Is a directory");
  EXPECT_EQ(write("/dev/full").message, "/dev/full: cannot write: No space left on device");
  EXPECT_TRUE(entries(dir.path()).empty());
}

TEST(WriteTripTable, FailedWriteLeavesTheExistingFileAndNoTemporary) {
  // Writes fail part way once the file size limit is reached (even for root).
  ScratchDir dir;
  const std::string old = "previous table\n";
  const std::string path = dir.write("trips.txt", old);
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
  EXPECT_EQ(readFile(path), old);
  EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"trips.txt"});
}

TEST(WriteTripTable, WritesDevicesPipesAndLinksDirectly) {
  EXPECT_TRUE(write("/dev/null").ok());

  ScratchDir dir;
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = readFile(fifo); });
  const Status status = write(fifo);
  reader.join();
  EXPECT_TRUE(status.ok()) << status.message;
  EXPECT_EQ(received, expectedText());

  const std::string target = dir.write("target.txt", "old\n");
  const std::string link = dir.file("link.txt");
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  EXPECT_TRUE(write(link).ok());
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(readFile(target), expectedText());
}

}  // namespace
}  // namespace veldmark
