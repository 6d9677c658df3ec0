// The state of one run, shared by the driver's steps: the options, where it
// writes, what it has read, the workspace and what the estimation recorded.
#pragma once

#include <optional>
#include <ostream>

#include "driver/options.h"
#include "estimation/balancing/counted_links.h"
#include "estimation/estimate.h"
#include "input/link_flow_file.h"
#include "network/road_network.h"
#include "network/zone_set.h"
#include "report/reference_comparison.h"
#include "veldmark/network.h"
#include "veldmark/zone_table.h"

namespace veldmark {

struct Run {
  Run(const Options& parsed, std::ostream& out, std::ostream& err)
      : options(parsed), console(out), errors(err) {}
  Options options;
  std::ostream& console;  // standard output: the console, byte for byte
  std::ostream& errors;   // standard error: messages and warnings
  int startSeconds = 0;
  BaseNetwork base;
  AbstractNetwork abstract;
  FlowFileStatistics flowStatistics;              // what the flow file's lines named
  Estimate estimate;                              // what the estimation left
  std::string tripTablePath;                      // settled after the estimation
  bool tableWritten = false;                      // the trip table file was written whole
  ZoneTable reference;                            // --reference: the table read with the inputs
  std::optional<ReferenceComparison> comparison;  // --reference: set after the estimation
  // The methods that balance a prior (entropy, gradient):
  RoadNetwork road;                        // BASE read as the road network
  ZoneSet zones;                           // --zones (else the prior's zones)
  CountedLinks counted;                    // each abstract link on the road network, with its count
  std::vector<double> prior;               // --prior: N x N in zone order; empty without one
  std::vector<std::string> inputWarnings;  // warnings of the reading, without the prefix

  // The operand at 1-based `number` (1 = BASE), or nullptr when missing.
  const char* operand(int number) const {
    return static_cast<int>(options.operands.size()) >= number ? options.operands[number - 1]
                                                               : nullptr;
  }
};

}  // namespace veldmark
