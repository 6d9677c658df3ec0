#include "estimation/balancing/cross_validation.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace veldmark {
namespace {

// A 64-bit mix (the finaliser of SplitMix64): a fixed shuffle of the indices.
std::uint64_t mix(std::uint64_t z) {
  z += 0x9E3779B97F4A7C15ULL;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

// Sums over the held-out links of every fold.
struct HeldOut {
  int links = 0, gehBelow5 = 0;
  double score = 0.0;
  double sumV = 0.0, sumC = 0.0, sumVV = 0.0, sumCC = 0.0, sumVC = 0.0;

  void add(double modelled, double count) {
    const double difference = modelled - count;
    score += difference * difference / std::fmax(count, 1.0);  // (V − v)² / max(v, 1)
    const double total = modelled + count;
    const double geh = total > 0.0 ? std::sqrt(2.0 * difference * difference / total) : 0.0;
    if (geh < 5.0) ++gehBelow5;
    ++links;
    sumV += modelled;
    sumC += count;
    sumVV += modelled * modelled;
    sumCC += count * count;
    sumVC += modelled * count;
  }

  // r² = cov² / (var V · var v)
  double rSquared() const {
    if (links == 0) return 0.0;
    const double n = links;
    const double covariance = sumVC - sumV * sumC / n;
    const double varianceV = sumVV - sumV * sumV / n;
    const double varianceC = sumCC - sumC * sumC / n;
    if (!(varianceV > 0.0) || !(varianceC > 0.0)) return 0.0;
    return covariance * covariance / (varianceV * varianceC);
  }
};

}  // namespace

std::vector<int> assignFolds(const std::vector<std::uint8_t>& hasCount, int folds) {
  std::vector<int> order;
  for (int c = 0; c < static_cast<int>(hasCount.size()); ++c) {
    if (hasCount[c]) order.push_back(c);
  }
  std::sort(order.begin(), order.end(), [](int a, int b) {
    const std::uint64_t ma = mix(static_cast<std::uint64_t>(a));
    const std::uint64_t mb = mix(static_cast<std::uint64_t>(b));
    return ma != mb ? ma < mb : a < b;
  });
  std::vector<int> fold(hasCount.size(), -1);
  for (std::size_t k = 0; k < order.size(); ++k) fold[order[k]] = static_cast<int>(k % folds);
  return fold;
}

WeightTrial crossValidate(const std::vector<int>& folds, int foldCount,
                          const std::vector<double>& counts, const HeldOutEstimate& estimate) {
  WeightTrial trial;
  HeldOut heldOut;
  std::vector<std::uint8_t> use(folds.size(), 0);
  std::vector<double> volumes;
  for (int f = 0; f < foldCount; ++f) {
    for (std::size_t c = 0; c < folds.size(); ++c) use[c] = folds[c] >= 0 && folds[c] != f;
    if (!estimate(f, use, volumes)) trial.converged = false;
    for (std::size_t c = 0; c < folds.size(); ++c) {
      if (folds[c] == f) heldOut.add(volumes[c], counts[c]);
    }
  }
  trial.score = heldOut.score;
  trial.shareGehBelow5 =
      heldOut.links > 0 ? static_cast<double>(heldOut.gehBelow5) / heldOut.links : 1.0;
  trial.rSquared = heldOut.rSquared();
  return trial;
}

}  // namespace veldmark
