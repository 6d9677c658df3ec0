#include "numeric/negative_cycle.h"

namespace veldmark {

// Bellman-Ford label correcting over the link list: zoneCount passes (not
// zoneCount - 1), each taking the links in list order and setting
// labels[b] = labels[a] + c whenever that rounded sum is strictly less than
// labels[b]; an update is visible at once to later links and passes. Then one
// checking pass with the same test and no updates; the first link that passes
// it makes the answer true. No reachability test: kUnreachable is summed like
// any other number, and a comparison with a NaN is false.
bool detectNegativeCycle(int linkCount, const LinkZoneEnds* links, const double* costs,
                         int zoneCount, double* labels) {
  for (int pass = 0; pass < zoneCount; ++pass) {
    for (int e = 0; e < linkCount; ++e) {
      const double sum = labels[links[e].from] + costs[e];
      if (sum < labels[links[e].to]) {
        labels[links[e].to] = sum;
      }
    }
  }
  for (int e = 0; e < linkCount; ++e) {
    const double sum = labels[links[e].from] + costs[e];
    if (sum < labels[links[e].to]) {
      return true;
    }
  }
  return false;
}

}  // namespace veldmark
