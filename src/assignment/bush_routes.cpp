#include "assignment/bush_routes.h"

#include <algorithm>
#include <limits>

namespace veldmark {
namespace {

// The entries of one route, from its destination's position `k` back to
// the origin: the cheapest in-links (labels.shortIn) or, when `left` is
// given, the in-links with the most flow left (first of equals).
void traceBack(const Bush& bush, const BushLabels& labels, const std::vector<double>* left, int k,
               std::vector<std::int32_t>& entries) {
  entries.clear();
  while (k > 0) {
    std::int32_t chosen = labels.shortIn[k];
    if (left) {
      chosen = bush.firstIn[k];
      for (std::int32_t e = chosen + 1; e < bush.firstIn[k + 1]; ++e) {
        if ((*left)[e] > (*left)[chosen]) chosen = e;
      }
    }
    entries.push_back(chosen);
    k = bush.inTail[chosen];
  }
}

// The route of `entries` as links, origin first.
std::vector<std::int32_t> routeLinks(const Bush& bush, const std::vector<std::int32_t>& entries) {
  std::vector<std::int32_t> links;
  links.reserve(entries.size());
  for (auto e = entries.rbegin(); e != entries.rend(); ++e) links.push_back(bush.inLink[*e]);
  return links;
}

// Pair p's routes out of `bush`'s flow not yet taken (`left`, per entry).
void takeRoutes(const Bush& bush, const BushLabels& labels, std::vector<double>& left, int k,
                double trips, std::vector<std::vector<std::int32_t>>& routes,
                std::vector<double>& shares) {
  std::vector<std::int32_t> entries;
  double taken = 0.0;
  while (trips > 0.0) {
    traceBack(bush, labels, &left, k, entries);
    double least = trips;
    for (const std::int32_t e : entries) least = std::min(least, left[e]);
    if (!(least > 0.0)) break;
    for (const std::int32_t e : entries) left[e] = left[e] == least ? 0.0 : left[e] - least;
    trips = least == trips ? 0.0 : trips - least;
    routes.push_back(routeLinks(bush, entries));
    shares.push_back(least);
    taken += least;
  }
  for (double& share : shares) share /= taken;
  if (routes.empty()) {
    traceBack(bush, labels, nullptr, k, entries);
    routes.push_back(routeLinks(bush, entries));
    shares.push_back(1.0);
  }
}

}  // namespace

RouteSet routesFromBushes(const BushRoutesInput& input, BushBuild& build, BushLabels& labels) {
  const int pairs = static_cast<int>(input.pairs.size());
  std::vector<std::vector<int>> bushPairs(input.bushes.size());
  for (int p = 0; p < pairs; ++p) {
    if (input.pairOrigin[p] >= 0 && input.reachable[p]) bushPairs[input.pairOrigin[p]].push_back(p);
  }
  std::vector<std::vector<std::vector<std::int32_t>>> routes(static_cast<std::size_t>(pairs));
  std::vector<std::vector<double>> shares(static_cast<std::size_t>(pairs));
  if (static_cast<int>(build.position.size()) != input.network.nodeCount()) {
    build.position.assign(static_cast<std::size_t>(input.network.nodeCount()), -1);
  }
  std::vector<double> left;
  for (std::size_t b = 0; b < input.bushes.size(); ++b) {
    const Bush& bush = input.bushes[b];
    labelBush(bush, input.linkCosts.data(), labels);
    left = bush.flow;
    for (int k = 0; k < bush.nodeCount(); ++k) build.position[bush.order[k]] = k;
    for (const int p : bushPairs[b]) {
      const int k = build.position[input.zones.zoneNode[input.pairs[p].destination]];
      takeRoutes(bush, labels, left, k, input.demand[p], routes[p], shares[p]);
    }
    for (const std::int32_t node : bush.order) build.position[node] = -1;
  }
  RouteSet set;
  set.linkCount = input.network.linkCount();
  set.firstRoute = {0};
  set.firstLink = {0};
  for (int p = 0; p < pairs; ++p) {
    appendPair(set, input.pairs[p], routes[p], shares[p]);
    std::vector<std::vector<std::int32_t>>().swap(routes[p]);
  }
  return set;
}

}  // namespace veldmark
