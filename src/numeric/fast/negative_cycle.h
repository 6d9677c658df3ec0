// The faster twin of the Bellman-Ford negative-cycle test.
#pragma once

#include "veldmark/types.h"

namespace veldmark::fast {

/// The same as detectNegativeCycle, result and labels: it stops as soon as a
/// whole pass changes no label, since every later pass and the checking pass
/// would then see the same labels and change nothing either.
bool detectNegativeCycle(int linkCount, const LinkZoneEnds* links, const double* costs,
                         int zoneCount, double* labels);

}  // namespace veldmark::fast
