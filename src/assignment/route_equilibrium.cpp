#include "assignment/route_equilibrium.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "assignment/link_cost.h"
#include "assignment/origin_groups.h"
#include "assignment/path_tree.h"
#include "assignment/route_shift.h"

namespace veldmark {
namespace {

// Sweeps over every pair per iteration: the first also adds each pair's
// new shortest route; the others only shift flow between the routes held.
constexpr int kSweepsPerIteration = 6;
// Origins whose trees are computed anew together before their pairs shift:
// a fixed number, so that the result does not depend on the team.
constexpr int kOriginBlock = 16;

// The assignment's state between iterations.
struct Work {
  const RoadNetwork& network;
  const ZoneSet& zones;
  const std::vector<ZonePair>& pairs;
  const std::vector<double>& demand;
  CostModel model;
  LinkState links;
  OriginGroups groups;                            // the pairs by origin
  std::vector<std::uint8_t> reachable;            // per pair, 1 when a route joins its zones
  std::vector<std::vector<WorkingRoute>> routes;  // per pair, its routes while it is loaded
  std::vector<std::int32_t> trees;                // per origin, n predecessor links
  std::vector<double> originShortest;             // per origin, Σ_pairs T · SP at the tree costs
  std::vector<double> starCost;                   // the tree costs in forward-star order
  std::vector<TreeScratch> scratch;               // per team member
};

bool loaded(const Work& work, int p) {
  return work.reachable[p] && work.demand[p] > 0.0;
}

std::int32_t* treeOf(Work& work, int origin) {
  return work.trees.data() + static_cast<std::size_t>(origin) * work.network.nodeCount();
}

// Sets every link's volume to Σ of the flows of the routes through it
// (pairs, routes and links in order), and its cost and derivative.
void loadRoutes(Work& work) {
  std::vector<double> volume(static_cast<std::size_t>(work.network.linkCount()), 0.0);
  for (const std::vector<WorkingRoute>& pairRoutes : work.routes) {
    for (const WorkingRoute& route : pairRoutes) {
      for (const std::int32_t a : route.links) volume[a] += route.flow;
    }
  }
  for (int a = 0; a < work.network.linkCount(); ++a)
    setLinkVolume(work.model, work.links, a, volume[a]);
}

// The shortest-path trees of origins [first, end) at the current costs, over
// the team; each origin's Σ T · SP (and, when `findReachable`, its pairs'
// reachability).
void computeTrees(Work& work, ThreadTeam* team, int first, int end, bool findReachable) {
  costsInStarOrder(work.network, work.links.cost.data(), work.starCost);
  forEachItem(team, end - first, 1, [&](int item, int member) {
    const int origin = first + item;
    TreeScratch& scratch = work.scratch[member];
    shortestPathTreeInStarOrder(work.network, work.zones,
                                work.zones.zoneNode[work.groups.originZone[origin]],
                                work.starCost.data(), treeOf(work, origin), scratch);
    double shortest = 0.0;  // Σ_d T_od · SP_od
    for (const int p : work.groups.originPairs[origin]) {
      const double distance = scratch.distance[work.zones.zoneNode[work.pairs[p].destination]];
      if (findReachable) work.reachable[p] = distance < std::numeric_limits<double>::infinity();
      if (loaded(work, p)) shortest += work.demand[p] * distance;
    }
    work.originShortest[origin] = shortest;
  });
}

// The links of pair p's shortest route in its origin's tree, origin first.
void shortestRoute(Work& work, int p, std::vector<std::int32_t>& links) {
  const std::int32_t* predecessor = treeOf(work, work.groups.pairOrigin[p]);
  const int origin = work.zones.zoneNode[work.pairs[p].origin];
  links.clear();
  for (int node = work.zones.zoneNode[work.pairs[p].destination]; node != origin;) {
    const std::int32_t a = predecessor[node];
    links.push_back(a);
    node = work.network.from[a];
  }
  std::reverse(links.begin(), links.end());
}

// Adds pair p's shortest route in its origin's tree to its route set (with
// all its demand when the set is empty), then shifts its flow.
void addRouteAndShift(Work& work, int p, std::vector<std::int32_t>& links) {
  std::vector<WorkingRoute>& pairRoutes = work.routes[p];
  shortestRoute(work, p, links);
  const bool held = std::any_of(pairRoutes.begin(), pairRoutes.end(),
                                [&](const WorkingRoute& route) { return route.links == links; });
  if (held) {
    shiftPairFlow(work.model, work.links, pairRoutes);
  } else if (!pairRoutes.empty()) {
    pairRoutes.push_back(WorkingRoute{links, 0.0});
    shiftPairFlow(work.model, work.links, pairRoutes);
  } else {  // the pair's first route: all its demand, its links' volumes grown
    for (const std::int32_t a : links) {
      setLinkVolume(work.model, work.links, a, work.links.volume[a] + work.demand[p]);
    }
    pairRoutes.push_back(WorkingRoute{links, work.demand[p]});
  }
}

// One iteration's shifts. Origins in blocks of kOriginBlock: the block's
// trees anew at the current costs (over the team), then each of its pairs
// gets its shortest route and shifts flow, on this thread; then
// kSweepsPerIteration - 1 sweeps of shifts alone over every pair. Origins
// in order, each origin's pairs in list order.
void shiftFlows(Work& work, ThreadTeam* team) {
  std::vector<std::int32_t> links;
  const int origins = static_cast<int>(work.groups.originZone.size());
  for (int first = 0; first < origins; first += kOriginBlock) {
    const int end = std::min(origins, first + kOriginBlock);
    computeTrees(work, team, first, end, false);
    for (int origin = first; origin < end; ++origin) {
      for (const int p : work.groups.originPairs[origin]) {
        if (loaded(work, p)) addRouteAndShift(work, p, links);
      }
    }
  }
  for (int sweep = 1; sweep < kSweepsPerIteration; ++sweep) {
    for (const std::vector<int>& originPairs : work.groups.originPairs) {
      for (const int p : originPairs) {
        if (loaded(work, p)) shiftPairFlow(work.model, work.links, work.routes[p]);
      }
    }
  }
}

// Σ_a v_a c_a and Σ_a ∫ c_a, links in order.
void linkSums(const Work& work, double& totalCost, double& objective) {
  totalCost = 0.0;
  objective = 0.0;
  for (int a = 0; a < work.network.linkCount(); ++a) {
    totalCost += work.links.volume[a] * work.links.cost[a];
    objective += linkCostIntegral(work.model, a, work.links.volume[a]);
  }
}

std::int64_t workingBytes(const Work& work) {
  std::int64_t bytes = static_cast<std::int64_t>(work.trees.size() * sizeof(std::int32_t));
  for (const std::vector<WorkingRoute>& pairRoutes : work.routes) {
    bytes += static_cast<std::int64_t>(pairRoutes.capacity() * sizeof(WorkingRoute));
    for (const WorkingRoute& route : pairRoutes) {
      bytes += static_cast<std::int64_t>(route.links.capacity() * sizeof(std::int32_t));
    }
  }
  return bytes;
}

// The route set of the final iteration (shares f_r / Σ f), pairs of demand 0
// on their shortest route, and the unreachable pairs counted.
void collectRoutes(Work& work, AssignmentResult& result) {
  RouteSet& routes = result.routes;
  routes.linkCount = work.network.linkCount();
  routes.firstRoute = {0};
  routes.firstLink = {0};
  std::vector<std::vector<std::int32_t>> links;
  std::vector<double> shares;
  for (std::size_t p = 0; p < work.pairs.size(); ++p) {
    links.clear();
    shares.clear();
    if (work.groups.pairOrigin[p] >= 0 && !work.reachable[p]) {
      result.unreachableTrips += work.demand[p];
      result.unreachablePairs.push_back(static_cast<int>(p));
    } else if (work.groups.pairOrigin[p] >= 0 && work.demand[p] == 0.0) {
      links.emplace_back();
      shortestRoute(work, static_cast<int>(p), links.back());
      shares.push_back(1.0);
    } else if (work.groups.pairOrigin[p] >= 0) {
      double total = 0.0;
      for (const WorkingRoute& route : work.routes[p]) total += route.flow;
      for (const WorkingRoute& route : work.routes[p]) {
        links.push_back(route.links);
        shares.push_back(route.flow / total);
      }
    }
    appendPair(routes, work.pairs[p], links, shares);
  }
}

}  // namespace

AssignmentResult assignPairsByRoutes(const RoadNetwork& network, const ZoneSet& zones,
                                     const std::vector<ZonePair>& pairs,
                                     const std::vector<double>& demand,
                                     const AssignmentSettings& settings) {
  const auto start = std::chrono::steady_clock::now();
  AssignmentResult result;
  Work work{network,
            zones,
            pairs,
            demand,
            makeCostModel(network, settings.tollFactor, settings.distanceFactor),
            {},
            {},
            {},
            {},
            {},
            {},
            {},
            {}};
  const std::size_t links = static_cast<std::size_t>(network.linkCount());
  work.links.volume.assign(links, 0.0);
  work.links.cost.assign(links, 0.0);
  work.links.derivative.assign(links, 0.0);
  work.links.mark.assign(links, 0);
  work.groups = groupByOrigin(zones.zoneCount(), pairs, demand);
  result.diagonalTrips = work.groups.diagonalTrips;
  work.reachable.assign(pairs.size(), 0);
  work.routes.resize(pairs.size());
  work.trees.resize(work.groups.originZone.size() * static_cast<std::size_t>(network.nodeCount()));
  work.originShortest.assign(work.groups.originZone.size(), 0.0);
  work.scratch.resize(settings.team ? static_cast<std::size_t>(settings.team->size()) : 1);
  for (int iteration = 0;; ++iteration) {
    loadRoutes(work);
    computeTrees(work, settings.team, 0, static_cast<int>(work.groups.originZone.size()),
                 iteration == 0);
    IterationTrace trace;
    trace.iteration = iteration;
    double totalCost = 0.0;
    linkSums(work, totalCost, trace.objective);
    double shortest = 0.0;
    for (const double originSum : work.originShortest) shortest += originSum;
    trace.gap =
        iteration == 0 ? std::numeric_limits<double>::infinity() : relativeGap(totalCost, shortest);
    trace.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.iterations.push_back(trace);
    if (settings.onIteration) settings.onIteration(trace);
    if (trace.gap <= settings.gap) break;
    if (iteration >= settings.maxIterations) {
      result.stop = AssignmentStop::kIterationCap;
      break;
    }
    shiftFlows(work, settings.team);
    result.workingBytes = std::max(result.workingBytes, workingBytes(work));
  }
  result.linkVolumes = work.links.volume;
  result.linkCosts = work.links.cost;
  collectRoutes(work, result);
  return result;
}

}  // namespace veldmark
