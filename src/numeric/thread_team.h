// A small team of threads for the pivot passes: the caller and size - 1
// workers started once (std::jthread). Work is handed out as steps of
// chunks: a member claims chunks of the current step from a shared ticket,
// runs them, and the member that finishes a step's last chunk starts the
// next step. A wait ends when the work is done, not when every member has come:
// a member that is not running holds nobody up unless it holds a chunk, and
// one that wakes late finds the current step, or nothing left. A waiting
// member polls briefly, then sleeps (std::atomic::wait). OpenMP's spinning
// barriers, and this team's own earlier barrier per step, were measured to
// slow a run many times over on a busy machine (see docs/PERFORMANCE.md).
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <thread>
#include <vector>

namespace veldmark {

/// The work a member takes at a time, in matrix entries: about as long as
/// handing a chunk over costs many times over. A step of no more work than
/// this stays on the calling thread.
inline constexpr int kEntriesPerChunk = 32768;

class ThreadTeam {
 public:
  /// A team of `size` members (at least 1): starts size - 1 threads, with
  /// every signal blocked (signals go to the other threads); a team of one
  /// starts none. Throws std::system_error when a thread cannot be started.
  /// Chunks hold about `entriesPerChunk` entries (at least 1; tests give 1
  /// to share even the smallest step).
  explicit ThreadTeam(int size, int entriesPerChunk = kEntriesPerChunk);
  /// Stops and joins the workers. REQUIRES: no run in progress.
  ~ThreadTeam();
  ThreadTeam(const ThreadTeam&) = delete;
  ThreadTeam& operator=(const ThreadTeam&) = delete;

  int size() const { return size_; }
  int entriesPerChunk() const { return entriesPerChunk_; }

  /// Runs `steps` steps in order, each done before the next starts: what
  /// a body wrote in one step is seen by every body of the later ones.
  /// start(step) returns the step's item count (0 .. count); it runs on one
  /// member while no member is inside a step. The items [0, items) are cut
  /// into chunks of `grain` (at least 1; a multiple of it when count would
  /// make over two million chunks), and body(step, first, end, member) runs
  /// on ranges of whole chunks, each item once, on whichever member claims
  /// them (member 0 is the calling thread and claims from the front, the
  /// others from the back). A `count` that fits in one chunk, or a team of
  /// one, runs every step on the calling thread alone, chunk by chunk in
  /// order. Returns when the last step is done, never waiting for a member
  /// that holds no chunk. The first exception from start or body ends the
  /// job after the current step and is rethrown here.
  /// REQUIRES: not called from inside a body; body writes only what belongs
  /// to its items (and scratch owned by `member`).
  void runSteps(int steps, int count, int grain, const std::function<int(int step)>& start,
                const std::function<void(int step, int first, int end, int member)>& body);

  /// Calls body(member) once on every member 0 .. size - 1 (member 0 on the
  /// calling thread) and returns when all have returned. An exception thrown
  /// by a body is rethrown here (the first one) after all have returned.
  /// Waits for every member, however busy the machine: prefer runSteps.
  /// REQUIRES: not called from inside a body.
  void run(const std::function<void(int member)>& body);

  /// Inside a body of run: returns when every member has called it (once
  /// more). What a member wrote before it is seen by every member after it.
  void barrier();

 private:
  void work(int member);
  void takeChunks(int member);
  void runChunks(int chunk, int taken, int member);
  void finishStep();
  void publishStep(int items);
  void announce();
  void fail();
  void stopWorkers();

  int size_;
  int entriesPerChunk_;
  // --- The current job of steps; written by the member that publishes a step
  // (the caller for the first) before the ticket, read after a claim.
  const std::function<int(int)>* start_ = nullptr;
  const std::function<void(int, int, int, int)>* body_ = nullptr;
  int steps_ = 0, step_ = 0, grain_ = 1, items_ = 0, chunks_ = 0;
  // The step's ticket: the chunks left to claim and the chunks done.
  alignas(64) std::atomic<std::uint64_t> ticket_{0};
  alignas(64) std::atomic<unsigned> generation_{
      0};  // raised at each step and job: waits sleep on it
  std::atomic<bool> jobOpen_{false};
  std::atomic<int> spinBudget_{10000};  // polling rounds before a waiting member sleeps
  // --- run and barrier
  std::atomic<unsigned> runsStarted_{0};
  std::atomic<unsigned> arrived_{0};  // members at the current barrier
  std::atomic<unsigned> passed_{0};   // barriers passed: the barrier's generation
  const std::function<void(int)>* runBody_ = nullptr;
  // --- Failures and stopping
  std::exception_ptr failure_;
  std::atomic<bool> failed_{false};
  std::atomic<bool> stopping_{false};
  std::vector<std::jthread> workers_;
};

/// The rows of `entriesPerRow` entries each that make one chunk of `team`
/// (kEntriesPerChunk when null): at least 1.
int chunkRows(const ThreadTeam* team, long long entriesPerRow);

/// Calls body(first, end, member) on consecutive ranges [first, end) that
/// cover [0, count), each item once; every range starts at a multiple of
/// `grain` (at least 1) and ends at one or at count. The ranges are claimed
/// by the members of `team` (see runSteps; null, a team of one or count <=
/// grain: the calling thread alone, ranges of grain in order). Returns when
/// every range is done; an exception from a body comes back here.
void forEachChunk(ThreadTeam* team, int count, int grain,
                  const std::function<void(int first, int end, int member)>& body);

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

/// Calls body(part, parts) once for each part of `rows` rows cut into
/// `parts` = the team's size blocks (see blockFirst), each part run whole by
/// whichever member claims it; or once as body(0, 1) on the calling thread
/// when `team` is null, has one member or rows x rows entries fit in one
/// chunk. REQUIRES: body does not call barrier().
void shareRows(ThreadTeam* team, int rows, const std::function<void(int, int)>& body);

/// The rows [first, end) of member `member` of `members` out of `rows`:
/// contiguous blocks in member order, sizes differing by at most one.
inline int blockFirst(int rows, int member, int members) {
  return static_cast<int>(static_cast<long long>(rows) * member / members);
}

}  // namespace veldmark
