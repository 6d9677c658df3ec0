#include "assignment/bush_routes.h"

#include <algorithm>
#include <limits>

#include "assignment/path_tree.h"

namespace veldmark {
namespace {

// One bush's routes, flat: route r of the bush's pair list (local pair q)
// has links links[routeStart[r] .. routeStart[r + 1]) and share shares[r];
// local pair q's routes are [pairStart[q], pairStart[q + 1]).
struct BushRouteList {
  std::vector<std::int32_t> links;
  std::vector<std::int64_t> routeStart{0};
  std::vector<double> shares;
  std::vector<std::int64_t> pairStart;
};

// One member's work arrays.
struct RouteScratch {
  TreeScratch tree;
  std::vector<std::int32_t> predecessor;   // per node, the shortest tree's last link
  std::vector<std::int32_t> position;      // per node, its position in the bush, or -1
  std::vector<double> left;                // per entry, the flow not yet taken
  std::vector<std::int32_t> entries;       // one route's entries, destination first
  std::vector<std::pair<int, int>> order;  // (−position, local pair) in taking order
};

// The entries of the route from position `k` back to the origin along the
// in-links with the most flow left (first of equals).
void traceBack(const Bush& bush, const std::vector<double>& left, int k,
               std::vector<std::int32_t>& entries) {
  entries.clear();
  while (k > 0) {
    std::int32_t chosen = bush.firstIn[k];
    for (std::int32_t e = chosen + 1; e < bush.firstIn[k + 1]; ++e) {
      if (left[e] > left[chosen]) chosen = e;
    }
    entries.push_back(chosen);
    k = bush.inTail[chosen];
  }
}

// Takes up to `trips` of the flow left along routes ending at position k;
// appends the routes and their trips (not yet shares). Returns the trips taken.
double takeRoutes(const Bush& bush, RouteScratch& s, int k, double trips, BushRouteList& list) {
  double taken = 0.0;
  while (trips > 0.0) {
    traceBack(bush, s.left, k, s.entries);
    double least = trips;
    for (const std::int32_t e : s.entries) least = std::min(least, s.left[e]);
    if (!(least > 0.0)) break;
    for (const std::int32_t e : s.entries) s.left[e] = s.left[e] == least ? 0.0 : s.left[e] - least;
    trips = least == trips ? 0.0 : trips - least;
    for (auto e = s.entries.rbegin(); e != s.entries.rend(); ++e) {
      list.links.push_back(bush.inLink[*e]);
    }
    list.routeStart.push_back(static_cast<std::int64_t>(list.links.size()));
    list.shares.push_back(least);
    taken += least;
  }
  return taken;
}

// Appends the shortest route to node `node` in s.predecessor, share 1.
void takeShortest(const RoadNetwork& network, const RouteScratch& s, int node,
                  BushRouteList& list) {
  const std::size_t first = list.links.size();
  for (std::int32_t a = s.predecessor[node]; a >= 0; a = s.predecessor[network.from[a]]) {
    list.links.push_back(a);
  }
  std::reverse(list.links.begin() + static_cast<std::ptrdiff_t>(first), list.links.end());
  list.routeStart.push_back(static_cast<std::int64_t>(list.links.size()));
  list.shares.push_back(1.0);
}

// Routes taken out of bush b's flow by its reachable pairs of demand > 0,
// farthest destinations first, into `taking`: the pair of local index q has
// routes [first[rank[q]], first[rank[q] + 1]) and took taken[q] trips
// (rank -1: it took nothing).
struct TakenRoutes {
  BushRouteList routes;
  std::vector<std::int64_t> first;
  std::vector<int> rank;
  std::vector<double> taken;
};

void takeBushFlow(const BushRoutesInput& input, int b, RouteScratch& s, TakenRoutes& taking) {
  const Bush& bush = input.bushes[b];
  const std::vector<int>& pairs = input.originPairs[b];
  const int nodes = input.network.nodeCount();
  if (static_cast<int>(s.position.size()) != nodes) s.position.assign(nodes, -1);
  for (int k = 0; k < bush.nodeCount(); ++k) s.position[bush.order[k]] = k;
  s.order.clear();
  for (int q = 0; q < static_cast<int>(pairs.size()); ++q) {
    const int p = pairs[q];
    if (input.reachable[p] && input.demand[p] > 0.0) {
      s.order.emplace_back(-s.position[input.zones.zoneNode[input.pairs[p].destination]], q);
    }
  }
  for (const std::int32_t node : bush.order) s.position[node] = -1;
  std::sort(s.order.begin(), s.order.end());
  s.left = bush.flow;
  taking.rank.assign(pairs.size(), -1);
  taking.taken.assign(pairs.size(), 0.0);
  taking.first.assign(1, 0);
  for (std::size_t t = 0; t < s.order.size(); ++t) {
    const int q = s.order[t].second;
    taking.rank[q] = static_cast<int>(t);
    taking.taken[q] = takeRoutes(bush, s, -s.order[t].first, input.demand[pairs[q]], taking.routes);
    taking.first.push_back(static_cast<std::int64_t>(taking.routes.shares.size()));
  }
}

// Bush b's routes into `list`, its pairs in list order: the routes taken
// with shares trips / taken, or the shortest route.
void bushRoutes(const BushRoutesInput& input, int b, RouteScratch& s, BushRouteList& list) {
  TakenRoutes taking;
  takeBushFlow(input, b, s, taking);
  const std::vector<int>& pairs = input.originPairs[b];
  const BushRouteList& taken = taking.routes;
  bool treeMade = false;
  list.pairStart.assign(1, 0);
  for (std::size_t q = 0; q < pairs.size(); ++q) {
    const int p = pairs[q];
    if (input.reachable[p] && taking.rank[q] >= 0 && taking.taken[q] > 0.0) {
      for (std::int64_t r = taking.first[taking.rank[q]]; r < taking.first[taking.rank[q] + 1];
           ++r) {
        list.links.insert(list.links.end(), taken.links.begin() + taken.routeStart[r],
                          taken.links.begin() + taken.routeStart[r + 1]);
        list.routeStart.push_back(static_cast<std::int64_t>(list.links.size()));
        list.shares.push_back(taken.shares[r] / taking.taken[q]);
      }
    } else if (input.reachable[p]) {
      if (!treeMade) {
        s.predecessor.resize(static_cast<std::size_t>(input.network.nodeCount()));
        shortestPathTree(input.network, input.zones, input.bushes[b].originNode,
                         input.linkCosts.data(), s.predecessor.data(), s.tree);
        treeMade = true;
      }
      takeShortest(input.network, s, input.zones.zoneNode[input.pairs[p].destination], list);
    }
    list.pairStart.push_back(static_cast<std::int64_t>(list.shares.size()));
  }
}

}  // namespace

RouteSet routesFromBushes(const BushRoutesInput& input, ThreadTeam* team) {
  const int bushes = static_cast<int>(input.bushes.size());
  std::vector<BushRouteList> lists(static_cast<std::size_t>(bushes));
  std::vector<RouteScratch> scratch(team ? static_cast<std::size_t>(team->size()) : 1);
  forEachItem(team, bushes, 1,
              [&](int b, int member) { bushRoutes(input, b, scratch[member], lists[b]); });
  // --- Every pair's place in its bush's list, then the set in pair order ---
  const int pairs = static_cast<int>(input.pairs.size());
  std::vector<int> pairBush(static_cast<std::size_t>(pairs), -1);
  std::vector<int> pairLocal(static_cast<std::size_t>(pairs), -1);
  for (int b = 0; b < bushes; ++b) {
    for (std::size_t q = 0; q < input.originPairs[b].size(); ++q) {
      pairBush[input.originPairs[b][q]] = b;
      pairLocal[input.originPairs[b][q]] = static_cast<int>(q);
    }
  }
  RouteSet set;
  set.linkCount = input.network.linkCount();
  set.pairs = input.pairs;
  std::size_t routes = 0, links = 0;
  for (const BushRouteList& list : lists) {
    routes += list.shares.size();
    links += list.links.size();
  }
  set.shares.reserve(routes);
  set.firstLink.reserve(routes + 1);
  set.routeLinks.reserve(links);
  set.firstRoute.reserve(static_cast<std::size_t>(pairs) + 1);
  set.firstRoute.assign(1, 0);
  set.firstLink.assign(1, 0);
  for (int p = 0; p < pairs; ++p) {
    if (pairBush[p] >= 0) {
      const BushRouteList& list = lists[pairBush[p]];
      for (std::int64_t r = list.pairStart[pairLocal[p]]; r < list.pairStart[pairLocal[p] + 1];
           ++r) {
        set.routeLinks.insert(set.routeLinks.end(), list.links.begin() + list.routeStart[r],
                              list.links.begin() + list.routeStart[r + 1]);
        set.firstLink.push_back(static_cast<std::int64_t>(set.routeLinks.size()));
        set.shares.push_back(list.shares[r]);
      }
    }
    set.firstRoute.push_back(static_cast<std::int64_t>(set.shares.size()));
  }
  return set;
}

}  // namespace veldmark
