// The workspace's starting predecessors, and what happens when its storage
// cannot be had.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "estimation/linearised/limits.h"
#include "estimation/linearised/workspace.h"

namespace veldmark {
namespace {

// Path tracing relies on P[j][k] = j for every pair no path has reached.
TEST(Workspace, PredecessorsStartAtTheRowsOwnZone) {
  EstimationWorkspace workspace;
  ASSERT_TRUE(allocateWorkspace(4, 7, workspace).ok());
  for (int i = 0; i < 16; ++i) EXPECT_EQ(workspace.PathPredecessorMatrix.entries[i], i / 4);
}

// In a child limited to 64 MiB of address space the capacity workspace
// (three 5000 x 5000 matrices) cannot be had: the answer is a message naming
// the sizes, not a crash. The child reports through its exit code.
TEST(Workspace, AllocationFailureIsReportedNotFatal) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's shadow memory needs the address space";
#endif
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit{64u << 20, 64u << 20};
    setrlimit(RLIMIT_AS, &limit);
    EstimationWorkspace workspace;
    const std::string message = allocateWorkspace(kMaxNodes, kMaxLinks, workspace).message;
    _exit(message.find("cannot allocate") == 0 &&
                  message.find("1000 zones and 5000 links") != std::string::npos
              ? 0
              : 1);
  }
  int result = 0;
  waitpid(child, &result, 0);
  ASSERT_TRUE(WIFEXITED(result)) << "the child died of signal " << WTERMSIG(result);
  EXPECT_EQ(WEXITSTATUS(result), 0);
}

}  // namespace
}  // namespace veldmark
