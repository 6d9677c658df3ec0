#include "assign/assign_outputs.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

#include "output/shortest_number.h"

namespace veldmark {
namespace {

using Json = nlohmann::ordered_json;

// A finite number, or null (the gap of iteration 0 is infinite).
Json number(double value) {
  return std::isfinite(value) ? Json(value) : Json(nullptr);
}

Json iterationsJson(const AssignmentResult& result) {
  Json iterations = Json::array();
  for (const IterationTrace& trace : result.iterations) {
    iterations.push_back(Json{{"iteration", trace.iteration},
                              {"gap", number(trace.gap)},
                              {"objective", trace.objective},
                              {"seconds", trace.seconds}});
  }
  return iterations;
}

Json demandJson(const AssignmentResult& result, const AssignRunFacts& facts) {
  return Json{
      {"trips_in_table", facts.tripsInTable},
      {"pairs", result.routes.pairCount()},
      {"diagonal_trips", result.diagonalTrips},
      {"unreachable_pairs", result.unreachablePairs.size()},
      {"unreachable_trips", result.unreachableTrips},
      {"trips_assigned", facts.tripsInTable - result.diagonalTrips - result.unreachableTrips}};
}

}  // namespace

const char* stopName(AssignmentStop stop) {
  return stop == AssignmentStop::kGapReached ? "gap reached" : "iteration limit";
}

std::string formatLinkVolumes(const RoadNetwork& network, const AssignmentResult& result) {
  std::ostringstream out;
  out << "from_node_id,to_node_id,volume,cost\n";
  for (int a = 0; a < network.linkCount(); ++a) {
    out << network.nodeNumbers[network.from[a]] << ',' << network.nodeNumbers[network.to[a]] << ',';
    writeShortestNumber(out, result.linkVolumes[a]);
    out << ',';
    writeShortestNumber(out, result.linkCosts[a]);
    out << '\n';
  }
  return out.str();
}

std::string formatAssignSummary(const AssignOptions& options, const RoadNetwork& network,
                                const ZoneSet& zones, const AssignmentResult& result,
                                const AssignRunFacts& facts) {
  const IterationTrace& last = result.iterations.back();
  const Json summary{
      {"program", "veldmark-assign"},
      {"inputs",
       Json{{"base", options.base}, {"trips", options.trips}, {"volumes", options.volumes}}},
      {"network", Json{{"nodes", network.nodeCount()}, {"links", network.linkCount()}}},
      {"zones", Json{{"count", zones.zoneCount()}, {"through_zones", zones.throughZones}}},
      {"settings", Json{{"gap", options.gap},
                        {"max_iterations", options.maxIterations},
                        {"toll_factor", options.tollFactor},
                        {"distance_factor", options.distanceFactor},
                        {"threads", facts.threads}}},
      {"demand", demandJson(result, facts)},
      {"iterations", iterationsJson(result)},
      {"stop", stopName(result.stop)},
      {"gap", number(last.gap)},
      {"objective", last.objective},
      {"seconds", Json{{"assignment", last.seconds}, {"total", facts.secondsTotal}}},
      {"memory", Json{{"peak_resident_bytes", facts.peakResidentBytes},
                      {"working_bytes", result.workingBytes},
                      {"route_set_bytes", result.routes.bytes()},
                      {"routes", result.routes.routeCount()}}}};
  return summary.dump(2) + "\n";
}

}  // namespace veldmark
