#include "numeric/fast/negative_cycle.h"

#include "numeric/negative_cycle.h"

namespace veldmark::fast {

bool detectNegativeCycle(int linkCount, const LinkZoneEnds* links, const double* costs,
                         int zoneCount, double* labels) {
  for (int pass = 0; pass < zoneCount; ++pass) {
    bool changed = false;
    for (int e = 0; e < linkCount; ++e) {
      const double sum = labels[links[e].from] + costs[e];
      if (sum < labels[links[e].to]) {
        labels[links[e].to] = sum;
        changed = true;
      }
    }
    if (!changed) return false;
  }
  return veldmark::detectNegativeCycle(linkCount, links, costs, 0, labels);
}

}  // namespace veldmark::fast
