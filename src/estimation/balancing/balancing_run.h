// The course every balancing method takes: the prior's pairs (or a flat
// prior at the counts' level), routes from an equilibrium assignment of the
// prior, the method's balancing on them, then as many levels as asked of
// routes from assigning the estimate and balancing again; at the end the
// table, and the modelled volume on every abstract and road link.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "assignment/route_set.h"
#include "estimation/balancing/balancing_inputs.h"
#include "estimation/estimate.h"
#include "numeric/thread_team.h"

namespace veldmark {

// What a level's balancing is given (read only).
struct LevelProblem {
  int level = 1;                              // from 1
  const RouteSet& routes;                     // P over the abstract links (counted_routes.h)
  int zoneCount = 0;                          // N: the pairs' zone indices are below it
  const std::vector<double>& prior;           // t per pair (> 0)
  const std::vector<double>& counts;          // v per abstract link
  const std::vector<std::uint8_t>& hasCount;  // per abstract link: 1 when it has a count
  ThreadTeam* team;                           // shares the products; null: the calling thread
};

/// A method's balancing on one level's routes: `table` comes in as the
/// level's starting table (the prior at level 1, else the last estimate)
/// and leaves as the estimate; `level` takes the balancing's facts and
/// `record` the method's own (count weight, trials). Fails with a message
/// that ends the run.
using LevelBalancer = std::function<Status(const LevelProblem& problem, std::vector<double>& table,
                                           LevelRecord& level, BalancingRecord& record)>;

/// `value` with three significant digits ("%.3g"), as the phase lines of
/// the balancing methods show their figures. Prints nothing.
std::string phaseNumber(double value);

/// Runs `levels` levels (at least 1) of assignment and `balance`, and fills
/// `estimate` (method, zones in zone order, the N x N table with the
/// prior's diagonal, the volume of every abstract link and road link,
/// the record). Reports each level's routes through settings.onPhase.
/// Fails with the balancer's message, or "out of memory" when the table
/// cannot be had. Throws std::bad_alloc when memory runs out elsewhere.
Status runBalancing(EstimationMethod method, const BalancingInputs& inputs,
                    const BalancingSettings& settings, int levels, const LevelBalancer& balance,
                    Estimate& estimate);

}  // namespace veldmark
