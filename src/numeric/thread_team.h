// A small team of threads for the pivot passes: the caller and size - 1
// workers started once (std::jthread), which run one body at a time and meet
// at barriers. A waiting member polls for up to a few hundred microseconds,
// less on a busy machine, and then sleeps (std::atomic::wait); OpenMP's
// spinning barriers were measured to slow a run 20-fold there (see
// docs/PERFORMANCE.md).
#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <thread>
#include <vector>

namespace veldmark {

/// Below this many rows a step of a pass is left to one thread by default:
/// sharing it would cost more than it saves.
inline constexpr int kFewestRowsToShare = 64;

class ThreadTeam {
 public:
  /// A team of `size` members (at least 1): starts size - 1 threads, with
  /// every signal blocked (signals go to the other threads); a team of one
  /// starts none. Throws std::system_error when a thread cannot be started. Work of fewer than
  /// `fewestRowsToShare` rows is left to the calling thread (see shareRows).
  explicit ThreadTeam(int size, int fewestRowsToShare = kFewestRowsToShare);
  /// Stops and joins the workers. REQUIRES: no run in progress.
  ~ThreadTeam();
  ThreadTeam(const ThreadTeam&) = delete;
  ThreadTeam& operator=(const ThreadTeam&) = delete;

  int size() const { return size_; }
  int fewestRowsToShare() const { return fewestRowsToShare_; }

  /// Calls body(member) once on every member 0 .. size - 1 (member 0 on the
  /// calling thread) and returns when all have returned. An exception thrown
  /// by a body is rethrown here (the first one) after all have returned.
  /// REQUIRES: not called from inside a body.
  void run(const std::function<void(int member)>& body);

  /// Inside a body: returns when every member has called it (once more).
  /// What a member wrote before it is seen by every member after it.
  void barrier();

 private:
  void work(int member);
  void stopWorkers();

  int size_;
  int fewestRowsToShare_;
  std::atomic<unsigned> arrived_{0};     // members at the current barrier
  std::atomic<unsigned> passed_{0};      // barriers passed: the barrier's generation
  std::atomic<unsigned> dispatched_{0};  // bodies handed out
  std::atomic<bool> stopping_{false};
  std::atomic<int> spinBudget_{10000};  // polling rounds before a waiting member sleeps
  const std::function<void(int)>* body_ = nullptr;
  std::exception_ptr failure_;
  std::atomic<bool> failed_{false};
  std::vector<std::jthread> workers_;
};

/// Calls body(member, members) on each member of `team`'s members, or once
/// as body(0, 1) on the calling thread when `team` is null, has one member
/// or `rows` is below its fewestRowsToShare (too little work to share).
void shareRows(ThreadTeam* team, int rows, const std::function<void(int, int)>& body);

/// Calls body(item, member) once for every item in [0, count), items claimed
/// in chunks of `grain` (at least 1) from a shared counter by the members of
/// `team` (member 0 is the calling thread; null or a team of one: the
/// calling thread alone, items in order). Returns when every item is done.
/// Which member runs an item is left to chance, so the body must write only
/// what belongs to its item (and scratch owned by `member`): then the result
/// does not depend on the team. An exception from a body comes back here
/// after the other members have stopped claiming.
void forEachItem(ThreadTeam* team, int count, int grain,
                 const std::function<void(int item, int member)>& body);

/// The rows [first, end) of member `member` of `members` out of `rows`:
/// contiguous blocks in member order, sizes differing by at most one.
inline int blockFirst(int rows, int member, int members) {
  return static_cast<int>(static_cast<long long>(rows) * member / members);
}

}  // namespace veldmark
