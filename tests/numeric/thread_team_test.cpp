// The thread team's promises that the pivot passes rely on: what a member
// writes before a barrier is seen by every member after it, a body's
// exception comes back to the caller with the team still usable, and small
// work stays on the calling thread. Run under ThreadSanitizer in CI.
#include "numeric/thread_team.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace veldmark {
namespace {

// Teams of 3 and of 8 on two cores: more members than cores makes the waits
// end asleep as well as while polling.
TEST(ThreadTeam, BarrierShowsEveryMembersWritesAndExceptionsComeBack) {
  for (int size : {3, 8}) {
    ThreadTeam team(size, 1);
    std::vector<int> slots(static_cast<std::size_t>(size), -1);
    std::atomic<int> mismatches{0};
    team.run([&](int member) {
      for (int phase = 0; phase < 300; ++phase) {
        slots[member] = phase;
        team.barrier();
        for (int seen : slots) mismatches += seen != phase;
        team.barrier();  // nobody writes the next phase while another reads
      }
    });
    EXPECT_EQ(mismatches.load(), 0) << "team of " << size;

    std::atomic<int> ran{0};
    EXPECT_THROW(team.run([&](int member) {
      ++ran;
      if (member == size - 1) throw std::runtime_error("from the last member");
    }),
                 std::runtime_error);
    EXPECT_EQ(ran.load(), size) << "every member ran before the exception came back";
    ran = 0;
    team.run([&](int) { ++ran; });
    EXPECT_EQ(ran.load(), size) << "the team still works after an exception";
  }
}

TEST(ThreadTeam, SmallWorkStaysOnTheCallingThread) {
  ThreadTeam team(4);  // shares from kFewestRowsToShare rows on
  const std::thread::id caller = std::this_thread::get_id();
  int calls = 0;
  shareRows(&team, kFewestRowsToShare - 1, [&](int member, int members) {
    ++calls;
    EXPECT_EQ(member, 0);
    EXPECT_EQ(members, 1);
    EXPECT_EQ(std::this_thread::get_id(), caller);
  });
  EXPECT_EQ(calls, 1);
  std::atomic<int> shared{0};
  shareRows(&team, kFewestRowsToShare, [&](int, int members) {
    EXPECT_EQ(members, 4);
    ++shared;
  });
  EXPECT_EQ(shared.load(), 4);
}

// Every item exactly once, whatever the team and the grain; an exception
// comes back and stops the claiming.
TEST(ThreadTeam, ForEachItemRunsEveryItemOnce) {
  for (int size : {1, 2, 8}) {
    ThreadTeam team(size);
    for (int grain : {1, 7, 1000}) {
      std::vector<std::atomic<int>> runs(997);
      forEachItem(&team, 997, grain, [&](int item, int member) {
        EXPECT_LT(member, size);
        ++runs[item];
      });
      for (const auto& r : runs) ASSERT_EQ(r.load(), 1) << size << " members, grain " << grain;
    }
    std::atomic<int> ran{0};
    EXPECT_THROW(forEachItem(&team, 10000, 1,
                             [&](int item, int) {
                               ++ran;
                               if (item == 3) throw std::runtime_error("item 3");
                             }),
                 std::runtime_error);
    EXPECT_LT(ran.load(), 10000) << "claiming stops after an exception";
  }
}

}  // namespace
}  // namespace veldmark
