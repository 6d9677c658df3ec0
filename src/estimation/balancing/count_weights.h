// The weight of each count in a soft balancing: w_c = κ / max(v_c, 1), so
// that a count's term ½ w_c (V_c − v_c)² weighs a relative miss the same on
// large and small counts (as GEH does). A link that is not used gets 0.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace veldmark {

/// w_c = κ / max(v_c, 1) where use[c] = 1, else 0 (κ may be +inf: then +inf).
inline std::vector<double> countWeights(double kappa, const std::vector<double>& counts,
                                        const std::vector<std::uint8_t>& use) {
  std::vector<double> weights(counts.size(), 0.0);
  for (std::size_t c = 0; c < counts.size(); ++c) {
    if (use[c]) weights[c] = kappa / std::max(counts[c], 1.0);
  }
  return weights;
}

}  // namespace veldmark
