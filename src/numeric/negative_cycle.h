// Bellman-Ford test for a link that can still be relaxed after N passes.
#pragma once

#include "veldmark/types.h"

namespace veldmark {

/// Runs `zoneCount` relaxation passes over the `linkCount` links in list
/// order (labels[b] = labels[a] + c when that sum is strictly smaller; updates
/// take effect at once), then one checking pass; returns true at the first
/// link that could still be relaxed. kUnreachable is an ordinary number; a
/// NaN never relaxes. REQUIRES: the caller initialised `labels` (zoneCount
/// entries). Allocates nothing, prints nothing.
bool detectNegativeCycle(int linkCount, const LinkZoneEnds* links, const double* costs,
                         int zoneCount, double* labels);

}  // namespace veldmark
