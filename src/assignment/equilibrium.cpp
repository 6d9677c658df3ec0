#include "assignment/equilibrium.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "assignment/bush.h"
#include "assignment/bush_flow.h"
#include "assignment/bush_growth.h"
#include "assignment/bush_routes.h"
#include "assignment/link_cost.h"
#include "assignment/origin_groups.h"
#include "assignment/path_tree.h"
#include "assignment/shift_pass.h"

namespace veldmark {
namespace {

// Origins whose first trees are computed together at the loading's costs
// of the moment: a fixed number, so that the result does not depend on the team.
constexpr int kOriginBlock = 16;
// Sweeps per iteration, each shifting flow on every bush once; the bushes
// grow before every kGrowthEvery-th sweep (the first of an iteration
// included). On Chicago regional the shifts leave most of the gap inside
// the bushes (at gap 2.8e-3, 2.5e-3 of it against 2.8e-4 from routes the
// bushes lack), and a growth costs more than a pass of shifts: growing
// before every third sweep reached gap 1e-4 in about half the time of
// growing before every sweep. Each iteration ends with the gap, whose trees
// cost about two passes of shifts: eighteen sweeps an iteration (a target
// reached up to eighteen sweeps late) took Chicago regional to gap 1e-4
// after the same 216 sweeps as six did, with 12 sets of trees against 36.
constexpr int kSweepsPerIteration = 18;
constexpr int kGrowthEvery = 3;

// One member's work arrays.
struct MemberScratch {
  TreeScratch tree;
  std::vector<std::int32_t> predecessor;
  std::vector<double> nodeFlow;  // per node, kept at 0 between uses
  BushBuild build;
  BushLabels labels;
};

// The assignment's state between iterations.
struct Work {
  const RoadNetwork& network;
  const ZoneSet& zones;
  const std::vector<ZonePair>& pairs;
  const std::vector<double>& demand;
  CostModel model;
  LinkState links{};
  OriginGroups groups{};                  // the pairs by origin
  std::vector<std::uint8_t> reachable{};  // per pair, 1 when a route joins its zones
  std::vector<Bush> bushes{};             // per origin
  std::vector<double> originShortest{};   // per origin, Σ_pairs T · SP at the tree costs
  std::vector<double> starCost{};         // the link costs of the moment in forward-star order
  std::vector<MemberScratch> scratch{};   // per team member
  ShiftPassScratch pass{};                // the passes of shifts
};

bool loaded(const Work& work, int p) {
  return work.reachable[p] && work.demand[p] > 0.0;
}

int originNode(const Work& work, int origin) {
  return work.zones.zoneNode[work.groups.originZone[origin]];
}

// Origin `origin`'s bush as its shortest-path tree at the current costs,
// its pairs' reachability, and (when `load`) its demand on the tree:
// x_a = the trips to every node beyond a.
void plantBush(Work& work, int origin, MemberScratch& s, bool load) {
  const int nodes = work.network.nodeCount();
  const int node = originNode(work, origin);
  s.predecessor.resize(static_cast<std::size_t>(nodes));
  shortestPathTreeInStarOrder(work.network, work.zones, node, work.starCost.data(),
                              s.predecessor.data(), s.tree);
  s.build.links.clear();
  for (int j = 0; j < nodes; ++j) {
    if (s.predecessor[j] >= 0) s.build.links.push_back(s.predecessor[j]);
  }
  s.build.flows.assign(s.build.links.size(), 0.0);
  Bush& bush = work.bushes[origin];
  makeBush(work.network, node, s.build, bush);
  if (s.nodeFlow.size() != static_cast<std::size_t>(nodes)) s.nodeFlow.assign(nodes, 0.0);
  for (const int p : work.groups.originPairs[origin]) {
    const int destination = work.zones.zoneNode[work.pairs[p].destination];
    work.reachable[p] = s.tree.distance[destination] < std::numeric_limits<double>::infinity();
    if (load && loaded(work, p)) s.nodeFlow[destination] += work.demand[p];
  }
  for (int k = bush.nodeCount() - 1; k > 0; --k) {
    const std::int32_t e = bush.firstIn[k];  // a tree: one in-link per node
    const std::int32_t j = bush.order[k];
    bush.flow[e] = s.nodeFlow[j];
    s.nodeFlow[bush.order[bush.inTail[e]]] += s.nodeFlow[j];
    s.nodeFlow[j] = 0.0;
  }
  s.nodeFlow[node] = 0.0;
}

// Iteration 0: origins in blocks of kOriginBlock, each block's trees at the
// current costs (over the team), then its origins' flows added to the link
// volumes in order.
void plantBushes(Work& work, ThreadTeam* team, bool load) {
  const int origins = static_cast<int>(work.groups.originZone.size());
  for (int first = 0; first < origins; first += kOriginBlock) {
    const int end = std::min(origins, first + kOriginBlock);
    costsInStarOrder(work.network, work.links.cost.data(), work.starCost);
    forEachItem(team, end - first, 1, [&](int item, int member) {
      plantBush(work, first + item, work.scratch[member], load);
    });
    for (int origin = first; origin < end && load; ++origin) {
      const Bush& bush = work.bushes[origin];
      for (int e = 0; e < bush.entryCount(); ++e) {
        const std::int32_t a = bush.inLink[e];
        setLinkVolume(work.model, work.links, a, work.links.volume[a] + bush.flow[e]);
      }
    }
  }
}

// Sets every link's volume to Σ_o x_a^o (origins and entries in order),
// and its cost and derivative.
void loadBushes(Work& work) {
  std::vector<double> volume(static_cast<std::size_t>(work.network.linkCount()), 0.0);
  for (const Bush& bush : work.bushes) {
    for (int e = 0; e < bush.entryCount(); ++e) volume[bush.inLink[e]] += bush.flow[e];
  }
  for (int a = 0; a < work.network.linkCount(); ++a)
    setLinkVolume(work.model, work.links, a, volume[a]);
}

// Every origin's Σ_d T_od · SP_od at the current costs, over the team.
void shortestSums(Work& work, ThreadTeam* team) {
  const int nodes = work.network.nodeCount();
  costsInStarOrder(work.network, work.links.cost.data(), work.starCost);
  forEachItem(
      team, static_cast<int>(work.groups.originZone.size()), 1, [&](int origin, int member) {
        MemberScratch& s = work.scratch[member];
        s.predecessor.resize(static_cast<std::size_t>(nodes));
        shortestPathTreeInStarOrder(work.network, work.zones, originNode(work, origin),
                                    work.starCost.data(), s.predecessor.data(), s.tree);
        double shortest = 0.0;  // Σ_d T_od · SP_od
        for (const int p : work.groups.originPairs[origin]) {
          if (loaded(work, p)) {
            shortest +=
                work.demand[p] * s.tree.distance[work.zones.zoneNode[work.pairs[p].destination]];
          }
        }
        work.originShortest[origin] = shortest;
      });
}

// Every bush grown at the current costs, over the team (each bush's growth
// reads the costs and writes its own bush alone).
void growBushes(Work& work, ThreadTeam* team) {
  forEachItem(team, static_cast<int>(work.bushes.size()), 1, [&](int origin, int member) {
    MemberScratch& s = work.scratch[member];
    growBush(work.network, work.zones, work.links.cost.data(), work.bushes[origin], s.labels,
             s.build);
  });
}

// One iteration's shifts: kSweepsPerIteration sweeps, each (every
// kGrowthEvery-th) growing every bush at the sweep's costs (over the team),
// then one pass of shifts on each bush in origin order (shiftPass), costs
// updated as it goes.
void improveBushes(Work& work, ThreadTeam* team) {
  for (int sweep = 0; sweep < kSweepsPerIteration; ++sweep) {
    if (sweep % kGrowthEvery == 0) growBushes(work, team);
    shiftPass(work.model, work.links, work.bushes, work.pass, team);
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
  std::int64_t bytes = 0;
  for (const Bush& bush : work.bushes) bytes += bushBytes(bush);
  return bytes;
}

// The unreachable pairs counted, and every pair's routes from its origin's bush.
void collectRoutes(Work& work, ThreadTeam* team, AssignmentResult& result) {
  for (std::size_t p = 0; p < work.pairs.size(); ++p) {
    if (work.groups.pairOrigin[p] >= 0 && !work.reachable[p]) {
      result.unreachableTrips += work.demand[p];
      result.unreachablePairs.push_back(static_cast<int>(p));
    }
  }
  BushRoutesInput input{
      work.network,   work.zones,  work.pairs,     work.demand, work.groups.originPairs,
      work.reachable, work.bushes, work.links.cost};
  result.routes = routesFromBushes(input, team);
}

}  // namespace

AssignmentResult assignPairs(const RoadNetwork& network, const ZoneSet& zones,
                             const std::vector<ZonePair>& pairs, const std::vector<double>& demand,
                             const AssignmentSettings& settings) {
  const auto start = std::chrono::steady_clock::now();
  AssignmentResult result;
  Work work{network, zones, pairs, demand,
            makeCostModel(network, settings.tollFactor, settings.distanceFactor)};
  const std::size_t links = static_cast<std::size_t>(network.linkCount());
  work.links.volume.assign(links, 0.0);
  work.links.cost.assign(links, 0.0);
  work.links.derivative.assign(links, 0.0);
  work.links.mark.assign(links, 0);
  for (int a = 0; a < network.linkCount(); ++a) setLinkVolume(work.model, work.links, a, 0.0);
  work.groups = groupByOrigin(zones.zoneCount(), pairs, demand);
  result.diagonalTrips = work.groups.diagonalTrips;
  work.reachable.assign(pairs.size(), 0);
  work.bushes.resize(work.groups.originZone.size());
  work.originShortest.assign(work.groups.originZone.size(), 0.0);
  work.scratch.resize(settings.team ? static_cast<std::size_t>(settings.team->size()) : 1);
  for (int iteration = 0;; ++iteration) {
    IterationTrace trace;
    trace.iteration = iteration;
    double totalCost = 0.0;
    if (iteration > 0) {
      loadBushes(work);
      shortestSums(work, settings.team);
    }
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
      if (iteration == 0) plantBushes(work, settings.team, false);
      break;
    }
    if (iteration == 0) {
      plantBushes(work, settings.team, true);
    } else {
      improveBushes(work, settings.team);
    }
    result.workingBytes = std::max(result.workingBytes, workingBytes(work));
  }
  result.linkVolumes = work.links.volume;
  result.linkCosts = work.links.cost;
  collectRoutes(work, settings.team, result);
  return result;
}

}  // namespace veldmark
