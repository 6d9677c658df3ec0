#include "assignment/shift_pass.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace veldmark {
namespace {

// How long the labelling member waits for a next bush before it leaves the
// pass to the shifting member alone (a shifting member that is not running).
constexpr std::chrono::milliseconds kIdleLimit{20};

// The hand-over between the two members of a pass. Job j = bush j's labels.
struct Handover {
  std::atomic<int> published{-1};  // the last job the labeller may take (count: the pass is over)
  std::atomic<int> claimed{-1};    // the last job begun, by either member
  std::atomic<int> done[2] = {-1, -1};  // per slot, the job whose labels it holds
};

struct Pass {
  const CostModel& model;
  LinkState& links;
  std::vector<Bush>& bushes;
  ShiftPassScratch& s;
  Handover handover{};
  int ownJob = -1;  // the job whose labels s.own holds
};

// Raises the last job begun to j; true when this call did (j is then ours).
bool claim(Handover& h, int j) {
  int begun = h.claimed.load(std::memory_order_acquire);
  while (begun < j && !h.claimed.compare_exchange_weak(begun, j, std::memory_order_acq_rel)) {
  }
  return begun < j;
}

// The labels of bush j at T_j (called once bushes 0 .. j-1 have shifted):
// those computed here ahead; else the second member's when it has begun
// them, waiting for it to finish and meanwhile computing bush j+1's here at
// the costs of now, which are T_{j+1}; else computed here.
BushLabels& labelsOf(Pass& pass, int j) {
  Handover& h = pass.handover;
  if (pass.ownJob == j) return pass.s.own;
  if (h.done[j % 2].load(std::memory_order_acquire) == j) return pass.s.slot[j % 2];
  if (claim(h, j)) {
    labelBush(pass.bushes[j], pass.s.costs[j % 2].data(), pass.s.own);
    pass.ownJob = j;
    return pass.s.own;
  }
  if (j + 1 < static_cast<int>(pass.bushes.size()) && claim(h, j + 1)) {
    labelBush(pass.bushes[j + 1], pass.links.cost.data(), pass.s.own);
    pass.ownJob = j + 1;
  }
  while (h.done[j % 2].load(std::memory_order_acquire) != j) std::this_thread::yield();
  return pass.s.slot[j % 2];
}

// Brings costs[(j + 1) % 2] from T_{j-1} to T_{j+1}: the links steps j-2 and
// j-1 changed take their costs of now (the start of step j).
void advanceCosts(Pass& pass, int j) {
  std::vector<double>& costs = pass.s.costs[(j + 1) % 2];
  for (const std::vector<std::int32_t>& touched : pass.s.touched) {
    for (const std::int32_t a : touched) costs[a] = pass.links.cost[a];
  }
  pass.s.touched[j % 2].clear();
}

// The shifting member: every bush in order.
void shiftEvery(Pass& pass) {
  const int count = static_cast<int>(pass.bushes.size());
  for (int j = 0; j < count; ++j) {
    BushLabels& labels = labelsOf(pass, j);
    if (j + 1 < count) {
      if (j > 0) advanceCosts(pass, j);
      pass.handover.published.store(j + 1, std::memory_order_release);
    }
    shiftLabelledBush(pass.model, pass.links, pass.bushes[j], labels, &pass.s.touched[j % 2]);
  }
  pass.handover.published.store(count, std::memory_order_release);
}

// The labelling member: the newest published job, while the other has not
// begun it; leaves when the pass is over or no job has come for kIdleLimit.
// Allocates nothing (the slots are sized before the pass), so cannot throw.
void labelAhead(Pass& pass) {
  const int count = static_cast<int>(pass.bushes.size());
  Handover& h = pass.handover;
  int last = -1;
  auto idleSince = std::chrono::steady_clock::now();
  for (;;) {
    const int j = h.published.load(std::memory_order_acquire);
    if (j >= count) return;
    if (j > last) {
      if (claim(h, j)) {
        labelBush(pass.bushes[j], pass.s.costs[j % 2].data(), pass.s.slot[j % 2]);
        h.done[j % 2].store(j, std::memory_order_release);
      }
      last = j;
      idleSince = std::chrono::steady_clock::now();
    } else if (std::chrono::steady_clock::now() - idleSince > kIdleLimit) {
      return;
    } else {
      std::this_thread::yield();
    }
  }
}

}  // namespace

void shiftPass(const CostModel& model, LinkState& links, std::vector<Bush>& bushes,
               ShiftPassScratch& scratch, ThreadTeam* team) {
  std::size_t largest = 0;
  for (const Bush& bush : bushes) largest = std::max(largest, bush.order.size());
  for (int k = 0; k < 2; ++k) {
    scratch.costs[k] = links.cost;
    scratch.touched[k].clear();
    BushLabels& slot = scratch.slot[k];
    for (auto* labels : {&slot.shortest, &slot.longest}) labels->reserve(largest);
    for (auto* entries : {&slot.shortIn, &slot.longIn}) entries->reserve(largest);
  }
  Pass pass{model, links, bushes, scratch};
  if (team == nullptr || team->size() < 2 || bushes.size() < 2) {
    shiftEvery(pass);
    return;
  }
  forEachItem(team, 2, 1, [&pass](int item, int) {
    if (item == 0) {
      shiftEvery(pass);
    } else {
      labelAhead(pass);
    }
  });
}

}  // namespace veldmark
