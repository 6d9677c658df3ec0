#include "numeric/thread_team.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>

namespace veldmark {
namespace {

// A waiting member polls before it sleeps, for as many rounds as the team's
// budget allows: up to some hundreds of microseconds, about the longest wait
// at a barrier of a balanced step on a quiet machine (waking a sleeper costs
// more than that). A wait that ends asleep halves the budget, since on a
// busy machine the member waited for is likely off its core and polling only
// takes the core from it; a wait that ends while polling raises it again.
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

}  // namespace

ThreadTeam::ThreadTeam(int size, int fewestRowsToShare)
    : size_(size < 1 ? 1 : size), fewestRowsToShare_(fewestRowsToShare) {
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
  dispatched_.fetch_add(1, std::memory_order_release);
  dispatched_.notify_all();
  workers_.clear();  // joins
}

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
  body_ = &body;
  failure_ = nullptr;
  failed_.store(false, std::memory_order_relaxed);
  dispatched_.fetch_add(1, std::memory_order_release);
  dispatched_.notify_all();
  try {
    body(0);
  } catch (...) {
    if (!failed_.exchange(true)) failure_ = std::current_exception();
  }
  barrier();
  if (failure_) std::rethrow_exception(failure_);
}

void ThreadTeam::work(int member) {
  unsigned seen = 0;
  for (;;) {
    waitForChange(dispatched_, seen, spinBudget_);
    seen = dispatched_.load(std::memory_order_acquire);
    if (stopping_.load(std::memory_order_acquire)) return;
    try {
      (*body_)(member);
    } catch (...) {
      if (!failed_.exchange(true)) failure_ = std::current_exception();
    }
    barrier();
  }
}

void shareRows(ThreadTeam* team, int rows, const std::function<void(int, int)>& body) {
  if (team == nullptr || team->size() == 1 || rows < team->fewestRowsToShare()) {
    body(0, 1);
    return;
  }
  const int members = team->size();
  team->run([&](int member) { body(member, members); });
}

void forEachItem(ThreadTeam* team, int count, int grain,
                 const std::function<void(int, int)>& body) {
  if (grain < 1) grain = 1;
  if (team == nullptr || team->size() == 1 || count <= grain) {
    for (int item = 0; item < count; ++item) body(item, 0);
    return;
  }
  std::atomic<int> next{0};
  std::atomic<bool> stop{false};
  team->run([&](int member) {
    while (!stop.load(std::memory_order_relaxed)) {
      const int first = next.fetch_add(grain, std::memory_order_relaxed);
      if (first >= count) return;
      const int end = std::min(first + grain, count);
      try {
        for (int item = first; item < end; ++item) body(item, member);
      } catch (...) {
        stop.store(true, std::memory_order_relaxed);
        throw;
      }
    }
  });
}

}  // namespace veldmark
