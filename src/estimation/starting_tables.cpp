#include "estimation/starting_tables.h"

#include <cmath>

namespace veldmark {

double costOfFlow(double flow, bool diagonal) {
  if (flow > 0) return std::log(flow);
  return diagonal ? 0.0 : kLogOfZero;
}

void buildStartingTables(EstimationWorkspace& workspace, AbstractNetwork& network,
                         std::ostream& console) {
  console << "   Estimate the travel table in the abstract network\n";
  const int n = workspace.zoneCount;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      workspace.TripTable[i][j] = 0.0;
      workspace.CostTable[i][j] = i == j ? 0.0 : kLogOfZero;
    }
  }
  // Each link sets the entries of its own pair, so one pass in file order
  // leaves the last of several parallel links in place.
  for (int k = 0; k < network.linkCount(); ++k) {
    AbstractLinkRecord& record = network.records[k];
    if (record.observedFlow == 0.0) record.observedFlow = kFlowFloor;
    const LinkZoneEnds ends = network.linkZones[k];
    workspace.TripTable[ends.from][ends.to] = record.observedFlow;
    workspace.CostTable[ends.from][ends.to] = std::log(record.observedFlow);
  }
  console << "\n";
}

}  // namespace veldmark
