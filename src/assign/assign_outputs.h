// What veldmark-assign writes: the link volumes CSV and the run summary.
#pragma once

#include <string>

#include "assign/assign_options.h"
#include "assignment/equilibrium.h"
#include "network/road_network.h"
#include "network/zone_set.h"

namespace veldmark {

// What the run did besides the assignment itself, for the summary.
struct AssignRunFacts {
  int threads = 1;
  double tripsInTable = 0.0;        // the table's total, diagonal included
  double secondsTotal = 0.0;        // the whole run, reading included
  long long peakResidentBytes = 0;  // the process's peak resident set
};

/// The VOLUMES text: header "from_node_id,to_node_id,volume,cost", then per
/// link of `network` in file order its node numbers, volume and cost in the
/// shortest text that reads back as the same double. Allocates; prints nothing.
std::string formatLinkVolumes(const RoadNetwork& network, const AssignmentResult& result);

/// The --summary JSON text (one object, two-space indent, ending in a newline):
/// inputs, settings, every iteration's gap and objective, the stop reason,
/// trips assigned, on the diagonal and unreachable, time and memory.
std::string formatAssignSummary(const AssignOptions& options, const RoadNetwork& network,
                                const ZoneSet& zones, const AssignmentResult& result,
                                const AssignRunFacts& facts);

/// The stop reason as the summary and the warning name it.
const char* stopName(AssignmentStop stop);

}  // namespace veldmark
