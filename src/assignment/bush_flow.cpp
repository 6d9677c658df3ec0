#include "assignment/bush_flow.h"

#include <algorithm>
#include <limits>

namespace veldmark {
namespace {

// Follows the cheapest route back from entry `cheap` and the costliest used
// one from entry `dear` until they meet; fills the two segments. False when
// the costly route reaches a node with no used in-link first (a rounding
// residue of flow: nothing to shift).
bool traceSegments(const Bush& bush, BushLabels& labels, std::int32_t cheap, std::int32_t dear) {
  labels.cheapSegment.assign(1, cheap);
  labels.dearSegment.assign(1, dear);
  std::int32_t i = bush.inTail[cheap];
  std::int32_t j = bush.inTail[dear];
  while (i != j) {
    if (i > j) {
      const std::int32_t e = labels.shortIn[i];
      labels.cheapSegment.push_back(e);
      i = bush.inTail[e];
    } else {
      const std::int32_t e = labels.longIn[j];
      if (e < 0) return false;
      labels.dearSegment.push_back(e);
      j = bush.inTail[e];
    }
  }
  return true;
}

// Moves `shift` trips from the dear segment to the cheap one; the dear
// segment's entries holding `least` trips end at exactly 0 when all of it moves.
// Their links are added to `touched` when it is not null.
void moveSegments(const CostModel& model, LinkState& links, Bush& bush, const BushLabels& labels,
                  double shift, double least, std::vector<std::int32_t>* touched) {
  for (const std::int32_t e : labels.dearSegment) {
    bush.flow[e] = shift == least && bush.flow[e] == least ? 0.0 : bush.flow[e] - shift;
    const std::int32_t a = bush.inLink[e];
    setLinkVolume(model, links, a, links.volume[a] - shift);
    if (touched) touched->push_back(a);
  }
  for (const std::int32_t e : labels.cheapSegment) {
    bush.flow[e] += shift;
    const std::int32_t a = bush.inLink[e];
    setLinkVolume(model, links, a, links.volume[a] + shift);
    if (touched) touched->push_back(a);
  }
}

// One Newton shift at the node of position k; nothing when its costliest
// used route ends as its cheapest does.
void shiftAt(const CostModel& model, LinkState& links, Bush& bush, BushLabels& labels, int k,
             std::vector<std::int32_t>* touched) {
  const std::int32_t dear = labels.longIn[k];
  const std::int32_t cheap = labels.shortIn[k];
  if (dear < 0 || dear == cheap || !traceSegments(bush, labels, cheap, dear)) return;
  double costCheap = 0.0, costDear = 0.0, curvature = 0.0;
  double least = std::numeric_limits<double>::infinity();
  for (const std::int32_t e : labels.cheapSegment) {
    costCheap += links.cost[bush.inLink[e]];
    curvature += links.derivative[bush.inLink[e]];
  }
  for (const std::int32_t e : labels.dearSegment) {
    costDear += links.cost[bush.inLink[e]];
    curvature += links.derivative[bush.inLink[e]];
    least = std::min(least, bush.flow[e]);
  }
  if (!(costDear > costCheap) || !(least > 0.0)) return;
  // Δ = min(min x_dear, (C_dear − C_cheap) / Σ c')
  double shift = least;
  if (curvature > 0.0) shift = std::min(least, (costDear - costCheap) / curvature);
  if (shift > 0.0) moveSegments(model, links, bush, labels, shift, least, touched);
}

}  // namespace

void labelBush(const Bush& bush, const double* linkCosts, BushLabels& labels) {
  const int size = bush.nodeCount();
  labels.shortest.resize(static_cast<std::size_t>(size));
  labels.longest.resize(static_cast<std::size_t>(size));
  labels.shortIn.resize(static_cast<std::size_t>(size));
  labels.longIn.resize(static_cast<std::size_t>(size));
  labels.shortest[0] = 0.0;
  labels.longest[0] = 0.0;
  labels.shortIn[0] = -1;
  labels.longIn[0] = -1;
  for (int k = 1; k < size; ++k) {
    double least = std::numeric_limits<double>::infinity();
    double most = -std::numeric_limits<double>::infinity();
    std::int32_t leastIn = -1, mostIn = -1;
    for (std::int32_t e = bush.firstIn[k]; e < bush.firstIn[k + 1]; ++e) {
      const double cost = linkCosts[bush.inLink[e]];
      const double through = labels.shortest[bush.inTail[e]] + cost;  // L_i + c_ij
      if (through < least) {
        least = through;
        leastIn = e;
      }
      const std::int32_t i = bush.inTail[e];
      if (!(bush.flow[e] > 0.0) || (i > 0 && labels.longIn[i] < 0)) continue;
      const double used = labels.longest[bush.inTail[e]] + cost;  // U_i + c_ij
      if (used > most) {
        most = used;
        mostIn = e;
      }
    }
    labels.shortest[k] = least;
    labels.shortIn[k] = leastIn;
    labels.longest[k] = mostIn < 0 ? least : most;
    labels.longIn[k] = mostIn;
  }
}

double shiftLabelledBush(const CostModel& model, LinkState& links, Bush& bush, BushLabels& labels,
                         std::vector<std::int32_t>* touched) {
  double spread = 0.0;
  for (int k = bush.nodeCount() - 1; k > 0; --k) {
    spread = std::max(spread, labels.longest[k] - labels.shortest[k]);
    shiftAt(model, links, bush, labels, k, touched);
  }
  return spread;
}

double shiftBush(const CostModel& model, LinkState& links, Bush& bush, BushLabels& labels) {
  labelBush(bush, links.cost.data(), labels);
  return shiftLabelledBush(model, links, bush, labels, nullptr);
}

}  // namespace veldmark
