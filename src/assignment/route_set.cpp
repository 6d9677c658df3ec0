#include "assignment/route_set.h"

#include <algorithm>

namespace veldmark {
namespace {

constexpr int kMaxPairBlocks = 32;         // link arrays summed into at once by loadPairs
constexpr int kFewestPairsInBlock = 2048;  // below this, fewer blocks
constexpr int kPairGrain = 256;            // pairs claimed at once by sumAlongPairs

int pairBlockCount(int pairs) {
  return std::clamp((pairs + kFewestPairsInBlock - 1) / kFewestPairsInBlock, 1, kMaxPairBlocks);
}

// Adds Σ_{p in [first, end)} pairValues[p] · P[., p] into `sums`.
void loadBlock(const RouteSet& routes, const std::vector<double>& pairValues, int first, int end,
               double* sums) {
  for (int p = first; p < end; ++p) {
    const double value = pairValues[p];
    if (value == 0.0) continue;
    for (std::int64_t r = routes.firstRoute[p]; r < routes.firstRoute[p + 1]; ++r) {
      const double routeValue = value * routes.shares[r];  // x_p · share_r
      for (std::int64_t k = routes.firstLink[r]; k < routes.firstLink[r + 1]; ++k) {
        sums[routes.routeLinks[k]] += routeValue;
      }
    }
  }
}

}  // namespace

std::int64_t RouteSet::bytes() const {
  return static_cast<std::int64_t>(pairs.size() * sizeof(ZonePair) +
                                   (firstRoute.size() + firstLink.size()) * sizeof(std::int64_t) +
                                   routeLinks.size() * sizeof(std::int32_t) +
                                   shares.size() * sizeof(double));
}

void appendPair(RouteSet& routes, ZonePair pair,
                const std::vector<std::vector<std::int32_t>>& links,
                const std::vector<double>& shares) {
  routes.pairs.push_back(pair);
  for (std::size_t r = 0; r < links.size(); ++r) {
    routes.routeLinks.insert(routes.routeLinks.end(), links[r].begin(), links[r].end());
    routes.firstLink.push_back(static_cast<std::int64_t>(routes.routeLinks.size()));
    routes.shares.push_back(shares[r]);
  }
  routes.firstRoute.push_back(routes.routeCount());
}

void loadPairs(const RouteSet& routes, const std::vector<double>& pairValues,
               std::vector<double>& linkValues, ThreadTeam* team) {
  const int pairs = routes.pairCount();
  const int links = routes.linkCount;
  const int blocks = pairBlockCount(pairs);
  std::vector<double> blockSums(static_cast<std::size_t>(blocks) * links, 0.0);
  forEachItem(team, blocks, 1, [&](int block, int) {
    loadBlock(routes, pairValues, blockFirst(pairs, block, blocks),
              blockFirst(pairs, block + 1, blocks),
              blockSums.data() + static_cast<std::size_t>(block) * links);
  });
  // V_a = Σ_blocks (block's sum at a), blocks in order
  linkValues.assign(static_cast<std::size_t>(links), 0.0);
  for (int block = 0; block < blocks; ++block) {
    const double* sums = blockSums.data() + static_cast<std::size_t>(block) * links;
    for (int a = 0; a < links; ++a) linkValues[a] += sums[a];
  }
}

void sumAlongPairs(const RouteSet& routes, const std::vector<double>& linkValues,
                   std::vector<double>& pairValues, ThreadTeam* team) {
  const int pairs = routes.pairCount();
  pairValues.resize(static_cast<std::size_t>(pairs));
  forEachItem(team, (pairs + kPairGrain - 1) / kPairGrain, 1, [&](int chunk, int) {
    const int end = std::min(pairs, (chunk + 1) * kPairGrain);
    for (int p = chunk * kPairGrain; p < end; ++p) {
      double sum = 0.0;  // g_p = Σ_r share_r · Σ_{a in r} y_a
      for (std::int64_t r = routes.firstRoute[p]; r < routes.firstRoute[p + 1]; ++r) {
        double along = 0.0;
        for (std::int64_t k = routes.firstLink[r]; k < routes.firstLink[r + 1]; ++k) {
          along += linkValues[routes.routeLinks[k]];
        }
        sum += routes.shares[r] * along;
      }
      pairValues[p] = sum;
    }
  });
}

}  // namespace veldmark
