// The thread team's promises that the pivot passes rely on: the steps of a
// job run in order and each sees what the steps before it wrote, every item
// runs once, what a member writes before a barrier is seen by every member
// after it, a body's exception comes back to the caller with the team still
// usable, small work stays on the calling thread, and a team with more
// members than cores still gets through many short steps beside a thread
// that spins. Run under ThreadSanitizer in CI.
#include "numeric/thread_team.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
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
  ThreadTeam team(4);  // chunks of kEntriesPerChunk entries
  const std::thread::id caller = std::this_thread::get_id();
  int calls = 0;
  const int smallRows = 181;  // 181 x 181 entries fit in one chunk, 182 x 182 do not
  static_assert(181 * 181 <= kEntriesPerChunk && 182 * 182 > kEntriesPerChunk);
  shareRows(&team, smallRows, [&](int member, int members) {
    ++calls;
    EXPECT_EQ(member, 0);
    EXPECT_EQ(members, 1);
    EXPECT_EQ(std::this_thread::get_id(), caller);
  });
  EXPECT_EQ(calls, 1);
  std::atomic<int> shared{0};
  shareRows(&team, smallRows + 1, [&](int, int members) {
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

// A job of steps in which each item reads what other items wrote at the
// step before: the result must be the one of a plain loop, on any team and
// grain; start runs while no body does; steps without items are passed over.
TEST(ThreadTeam, StepsRunInOrderAndSeeWhatTheStepsBeforeWrote) {
  constexpr int kItems = 300, kSteps = 40;
  const auto itemsOf = [](int step) { return step % 7 == 3 ? 0 : kItems - step; };
  std::vector<long long> expected(kItems, 1), before(kItems);
  for (int step = 0; step < kSteps; ++step) {
    before = expected;
    for (int j = 0; j < itemsOf(step); ++j) expected[j] = before[(7 * j + step) % kItems] + j;
  }
  for (int size : {1, 2, 3, 8}) {
    ThreadTeam team(size, 1);
    for (int grain : {1, 5, 64}) {
      std::vector<long long> now(kItems, 1), last(kItems);
      std::atomic<int> inside{0}, startsInside{0};
      team.runSteps(
          kSteps, kItems, grain,
          [&](int step) {
            startsInside += inside.load();
            last = now;  // no body runs now
            return itemsOf(step);
          },
          [&](int step, int first, int end, int member) {
            ++inside;
            EXPECT_LT(member, size);
            EXPECT_EQ(first % grain, 0);
            for (int j = first; j < end; ++j) now[j] = last[(7 * j + step) % kItems] + j;
            --inside;
          });
      EXPECT_EQ(startsInside.load(), 0);
      EXPECT_EQ(now, expected) << size << " members, grain " << grain;
    }
    // An exception ends the job after its step and comes back; the team
    // still works afterwards.
    std::atomic<int> lastStep{-1};
    EXPECT_THROW(team.runSteps(
                     10, 100, 1, [](int) { return 100; },
                     [&](int step, int first, int end, int) {
                       lastStep = std::max(lastStep.load(), step);
                       if (step == 4 && first <= 50 && 50 < end) throw std::runtime_error("step 4");
                     }),
                 std::runtime_error);
    EXPECT_EQ(lastStep.load(), 4) << size << " members";
    EXPECT_THROW(
        team.runSteps(
            10, 100, 1, [](int step) { return step < 2 ? 100 : throw std::logic_error(""); },
            [](int, int, int, int) {}),
        std::logic_error);
    std::atomic<int> ran{0};
    team.runSteps(
        3, 100, 1, [](int) { return 100; },
        [&](int, int first, int end, int) { ran += end - first; });
    EXPECT_EQ(ran.load(), 300);
  }
}

// Some arithmetic a few microseconds long that the compiler cannot drop.
double busyWork(double x) {
  for (int k = 0; k < 100; ++k) x = std::sqrt(x * x + 1.0) * 0.999;
  return x;
}

// Eight members on this machine's cores, beside a thread that spins: many
// short steps must still end within a generous bound of the time the
// calling thread alone takes. A regression guard, not a benchmark: a team
// whose every step waited for every member (as this team once did) took
// many times longer here, each step waiting for the scheduler to give each
// member a turn.
TEST(ThreadTeam, MoreMembersThanCoresBesideASpinningThreadStillGetThrough) {
  constexpr int kItems = 64, kSteps = 1000;
  const auto job = [&](ThreadTeam& team, std::vector<double>& values) {
    const auto begin = std::chrono::steady_clock::now();
    team.runSteps(
        kSteps, kItems, 1, [&](int) { return kItems; },
        [&](int, int first, int end, int) {
          for (int j = first; j < end; ++j) values[j] = busyWork(values[j]);
        });
    return std::chrono::steady_clock::now() - begin;
  };
  std::atomic<bool> stop{false};
  std::jthread spinner([&] {
    while (!stop.load(std::memory_order_relaxed)) {
    }
  });
  ThreadTeam alone(1), eight(8, 1);
  std::vector<double> one(kItems, 2.0), shared(kItems, 2.0);
  const auto aloneTime = job(alone, one);
  const auto teamTime = job(eight, shared);
  stop = true;
  EXPECT_EQ(shared, one);
  EXPECT_LT(teamTime, 4 * aloneTime + std::chrono::seconds(1))
      << "alone " << std::chrono::duration<double>(aloneTime).count() << " s, eight members "
      << std::chrono::duration<double>(teamTime).count() << " s";
}

}  // namespace
}  // namespace veldmark
