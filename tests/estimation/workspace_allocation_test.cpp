// The workspace at the capacity limits, and what happens when its storage
// cannot be had.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "estimation/workspace.h"
#include "gtest/gtest.h"

namespace veldmark {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

TEST(Workspace, PredecessorsStartAtTheRowsOwnZoneAndSizesFollowNAndL) {
  EstimationWorkspace workspace;
  ASSERT_TRUE(allocateWorkspace(4, 7, workspace).ok());
  EXPECT_EQ(workspace.BasisMatrix.order, 7);
  EXPECT_EQ(workspace.TripTable.order, 4);
  EXPECT_EQ(workspace.Basis.size(), 7u);
  EXPECT_EQ(workspace.Labels.size(), 4u);
  for (int j = 0; j < 4; ++j) {
    for (int k = 0; k < 4; ++k) EXPECT_EQ(workspace.PathPredecessorMatrix[j][k], j);
  }
}

// In a child limited to 64 MiB of address space, the capacity workspace
// (three 5000 x 5000 matrices) cannot be had: the answer is a message naming
// the sizes, not a crash. The child reports through its exit code.
TEST(Workspace, AllocationFailureIsReportedNotFatal) {
  if (kAddressSanitizer) GTEST_SKIP() << "the sanitizer's shadow memory needs the address space";
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit{64u << 20, 64u << 20};
    setrlimit(RLIMIT_AS, &limit);
    EstimationWorkspace workspace;
    const Status status = allocateWorkspace(kMaxNodes, kMaxLinks, workspace);
    const bool named = status.message.find("1000 zones and 5000 links") != std::string::npos &&
                       status.message.find("cannot allocate") == 0;
    _exit(!status.ok() && named ? 0 : 1);
  }
  int result = 0;
  waitpid(child, &result, 0);
  ASSERT_TRUE(WIFEXITED(result)) << "the child died of signal " << WTERMSIG(result);
  EXPECT_EQ(WEXITSTATUS(result), 0);
}

}  // namespace
}  // namespace veldmark
