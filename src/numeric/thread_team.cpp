#include "numeric/thread_team.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>

namespace veldmark {
namespace {

// A waiting member polls before it sleeps, for as many rounds as the team's
// budget allows: up to some hundreds of microseconds, about the longest wait
// for a chunk on a quiet machine (waking a sleeper costs more than that). A
// wait that ends asleep halves the budget, since on a busy machine the
// member waited for is likely off its core and polling only takes the core
// from it; a wait that ends while polling raises it again.
constexpr int kMostSpins = 10000;
constexpr int kFewestSpins = 100;
constexpr int kSpinRaise = 250;

// Returns when `word` no longer holds `seen`.
void waitForChange(const std::atomic<unsigned>& word, unsigned seen, std::atomic<int>& budget) {
  const int spins = budget.load(std::memory_order_relaxed);
  for (int spin = 0; spin < spins; ++spin) {
    if (word.load(std::memory_order_acquire) != seen) {
      if (spins < kMostSpins)
        budget.store(std::min(spins + kSpinRaise, kMostSpins), std::memory_order_relaxed);
      return;
    }
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
  }
  budget.store(std::max(spins / 2, kFewestSpins), std::memory_order_relaxed);
  while (word.load(std::memory_order_acquire) == seen) word.wait(seen, std::memory_order_acquire);
}

// The ticket of a step: the next chunk from the front, the end of the
// chunks left from the back, and the chunks done. A claim is a
// compare-and-swap of the whole; everything else about the step is read
// after it. A member that read the ticket of an earlier step only succeeds
// when the current one holds the same value, and then its claim is a valid
// claim of the current step.
constexpr int kCountBits = 21;
constexpr int kMostChunks = (1 << kCountBits) - 1;
constexpr std::uint64_t kCountMask = kMostChunks;
constexpr int kBackShift = kCountBits + 1;  // done may reach kMostChunks + 1 bits' worth
constexpr int kFrontShift = kBackShift + kCountBits;

int ticketFront(std::uint64_t ticket) {
  return static_cast<int>((ticket >> kFrontShift) & kCountMask);
}
int ticketBack(std::uint64_t ticket) {
  return static_cast<int>((ticket >> kBackShift) & kCountMask);
}
std::uint64_t makeTicket(int front, int back, std::uint64_t done) {
  return (static_cast<std::uint64_t>(front) << kFrontShift) |
         (static_cast<std::uint64_t>(back) << kBackShift) | done;
}
std::uint64_t ticketDone(std::uint64_t ticket) {
  return ticket & ((std::uint64_t{1} << kBackShift) - 1);
}

}  // namespace

ThreadTeam::ThreadTeam(int size, int entriesPerChunk)
    : size_(size < 1 ? 1 : size), entriesPerChunk_(entriesPerChunk < 1 ? 1 : entriesPerChunk) {
  // The workers start with every signal blocked, so that a signal sent to
  // the process always reaches the calling thread, whose handlers and masks
  // (around the writing of the trip table) the program relies on.
  sigset_t all, previous;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &previous);
  try {
    workers_.reserve(static_cast<std::size_t>(size_ - 1));
    for (int member = 1; member < size_; ++member) {
      workers_.emplace_back([this, member] { work(member); });
    }
  } catch (...) {
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    stopWorkers();
    throw;
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

ThreadTeam::~ThreadTeam() {
  stopWorkers();
}

void ThreadTeam::stopWorkers() {
  stopping_.store(true, std::memory_order_release);
  announce();
  workers_.clear();  // joins
}

// --- Steps of chunks ---------------------------------------------------------------

void ThreadTeam::fail() {
  if (!failed_.exchange(true, std::memory_order_acq_rel)) failure_ = std::current_exception();
}

// Wakes the members waiting for a new step, a new job or the end of one.
// Atomic operations only: the caller may already be starting its next job.
void ThreadTeam::announce() {
  generation_.fetch_add(1, std::memory_order_release);
  generation_.notify_all();
}

// Makes the step of `items` items claimable. Only one member publishes at a
// time: the caller for the first step, then whoever finished the step before.
void ThreadTeam::publishStep(int items) {
  items_ = items;
  chunks_ = (items + grain_ - 1) / grain_;
  ticket_.store(makeTicket(0, chunks_, 0), std::memory_order_release);
  announce();
}

void ThreadTeam::runChunks(int chunk, int taken, int member) {
  if (failed_.load(std::memory_order_relaxed)) return;
  const int first = chunk * grain_;
  try {
    (*body_)(step_, first, std::min(first + taken * grain_, items_), member);
  } catch (...) {
    fail();
  }
}

// Called by the member that finished the current step's last chunk (or by
// the caller when the first step has no items): starts the next step with
// items, or ends the job after the last step or a failure.
void ThreadTeam::finishStep() {
  for (;;) {
    if (failed_.load(std::memory_order_relaxed) || step_ + 1 >= steps_) {
      ticket_.store(makeTicket(0, 0, 0), std::memory_order_release);
      jobOpen_.store(false, std::memory_order_release);  // nothing of the job is touched after
      announce();
      return;
    }
    ++step_;
    int items = 0;
    try {
      items = (*start_)(step_);
    } catch (...) {
      fail();
    }
    if (items > 0 && !failed_.load(std::memory_order_relaxed)) {
      publishStep(items);
      return;
    }
  }
}

// Claims chunks of whatever step is current and runs them until none is
// left to claim. A claim takes a share of what is left (a quarter of it on a
// team of two), so that the members meet on the ticket a few times a step
// and the last claims are single chunks.
void ThreadTeam::takeChunks(int member) {
  const bool fromFront = member == 0;
  const int share = 2 * size_;
  std::uint64_t ticket = ticket_.load(std::memory_order_acquire);
  for (;;) {
    const int front = ticketFront(ticket), back = ticketBack(ticket);
    if (front >= back) return;
    const int taken = std::max(1, (back - front) / share);
    const std::uint64_t done = ticketDone(ticket);
    const std::uint64_t claimed =
        fromFront ? makeTicket(front + taken, back, done) : makeTicket(front, back - taken, done);
    if (!ticket_.compare_exchange_weak(ticket, claimed, std::memory_order_acq_rel,
                                       std::memory_order_acquire)) {
      continue;
    }
    // The step cannot end before this claim is counted done: what describes
    // it is read now, not after.
    const std::uint64_t chunks = static_cast<std::uint64_t>(chunks_);
    runChunks(fromFront ? front : back - taken, taken, member);
    const std::uint64_t before = ticket_.fetch_add(taken, std::memory_order_acq_rel);
    if (ticketDone(before) + taken == chunks) {
      finishStep();
      ticket = ticket_.load(std::memory_order_acquire);
    } else {
      ticket = before + taken;
    }
  }
}

void ThreadTeam::runSteps(int steps, int count, int grain, const std::function<int(int)>& start,
                          const std::function<void(int, int, int, int)>& body) {
  if (grain < 1) grain = 1;
  while (count / grain >= kMostChunks) grain *= 2;
  if (steps <= 0) return;
  if (size_ == 1 || count <= grain) {
    for (int step = 0; step < steps; ++step) {
      const int items = start(step);
      for (int first = 0; first < items; first += grain) {
        body(step, first, std::min(first + grain, items), 0);
      }
    }
    return;
  }
  start_ = &start;
  body_ = &body;
  steps_ = steps;
  step_ = 0;
  grain_ = grain;
  failure_ = nullptr;
  failed_.store(false, std::memory_order_relaxed);
  const int items = start(0);
  jobOpen_.store(true, std::memory_order_relaxed);
  if (items > 0) {
    publishStep(items);
  } else {
    finishStep();
  }
  for (;;) {
    const unsigned seen = generation_.load(std::memory_order_acquire);
    takeChunks(0);
    if (!jobOpen_.load(std::memory_order_acquire)) break;
    waitForChange(generation_, seen, spinBudget_);
  }
  if (failure_) std::rethrow_exception(failure_);
}

// --- Every member at once -------------------------------------------------------

void ThreadTeam::barrier() {
  if (size_ == 1) return;
  const unsigned generation = passed_.load(std::memory_order_acquire);
  if (arrived_.fetch_add(1, std::memory_order_acq_rel) + 1 == static_cast<unsigned>(size_)) {
    arrived_.store(0, std::memory_order_relaxed);
    passed_.fetch_add(1, std::memory_order_release);
    passed_.notify_all();
    return;
  }
  waitForChange(passed_, generation, spinBudget_);
}

void ThreadTeam::run(const std::function<void(int)>& body) {
  if (size_ == 1) {
    body(0);
    return;
  }
  runBody_ = &body;
  failure_ = nullptr;
  failed_.store(false, std::memory_order_relaxed);
  runsStarted_.fetch_add(1, std::memory_order_release);
  announce();
  try {
    body(0);
  } catch (...) {
    fail();
  }
  barrier();
  if (failure_) std::rethrow_exception(failure_);
}

void ThreadTeam::work(int member) {
  unsigned runsDone = 0;
  for (;;) {
    const unsigned seen = generation_.load(std::memory_order_acquire);
    if (stopping_.load(std::memory_order_acquire)) return;
    if (runsStarted_.load(std::memory_order_acquire) != runsDone) {
      ++runsDone;
      try {
        (*runBody_)(member);
      } catch (...) {
        fail();
      }
      barrier();
      continue;
    }
    takeChunks(member);
    waitForChange(generation_, seen, spinBudget_);
  }
}

// --- Sharing out rows and items ----------------------------------------------------

int chunkRows(const ThreadTeam* team, long long entriesPerRow) {
  const long long entries = team == nullptr ? kEntriesPerChunk : team->entriesPerChunk();
  if (entriesPerRow < 1) entriesPerRow = 1;
  return static_cast<int>(std::max(1LL, entries / entriesPerRow));
}

void forEachChunk(ThreadTeam* team, int count, int grain,
                  const std::function<void(int, int, int)>& body) {
  if (grain < 1) grain = 1;
  if (team == nullptr || team->size() == 1 || count <= grain) {
    for (int first = 0; first < count; first += grain)
      body(first, std::min(first + grain, count), 0);
    return;
  }
  team->runSteps(
      1, count, grain, [&](int) { return count; },
      [&](int, int first, int end, int member) { body(first, end, member); });
}

void forEachItem(ThreadTeam* team, int count, int grain,
                 const std::function<void(int, int)>& body) {
  forEachChunk(team, count, grain, [&](int first, int end, int member) {
    for (int item = first; item < end; ++item) body(item, member);
  });
}

void shareRows(ThreadTeam* team, int rows, const std::function<void(int, int)>& body) {
  if (team == nullptr || team->size() == 1 ||
      static_cast<long long>(rows) * rows <= team->entriesPerChunk()) {
    body(0, 1);
    return;
  }
  const int parts = team->size();
  forEachItem(team, parts, 1, [&](int part, int) { body(part, parts); });
}

}  // namespace veldmark
