// The weight of each count in a soft balancing: w_c = κ / max(v_c, 1), so
// that a count's term ½ w_c (V_c − v_c)² weighs a relative miss the same on
// large and small counts (as GEH does). A link that is not used gets 0.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <vector>

namespace veldmark {

/// w_c = κ / max(v_c, 1) where use[c] = 1, else 0 (κ may be +inf: then +inf).
inline std::vector<double> countWeights(double kappa, const std::vector<double>& counts,
                                        const std::vector<std::uint8_t>& use) {
  std::vector<double> weights(counts.size(), 0.0);
  const char* g = std::getenv("VEXP_GAMMA");
  const double gamma = g ? std::atof(g) : 1.0;
  const char* fa = std::getenv("VEXP_FLOOR");
  const char* fr = std::getenv("VEXP_FLOORREL");
  double floor = fa ? std::atof(fa) : 1.0;
  if (fr) {
    double sum = 0.0; int n = 0;
    for (std::size_t c = 0; c < counts.size(); ++c) if (use[c]) { sum += counts[c]; ++n; }
    floor = std::max(floor, std::atof(fr) * sum / std::max(n, 1));
  }
  double mean = 0.0; int used = 0;
  for (std::size_t c = 0; c < counts.size(); ++c) if (use[c]) { mean += counts[c]; ++used; }
  mean = std::max(mean / std::max(used, 1), 1.0);
  for (std::size_t c = 0; c < counts.size(); ++c) {
    if (use[c]) weights[c] = kappa / (std::pow(std::max(counts[c], floor), gamma) * std::pow(mean, 1.0 - gamma));
  }
  return weights;
}

}  // namespace veldmark
