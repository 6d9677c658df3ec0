#include "estimation/linearised/starting_tables.h"

#include <cmath>

#include "estimation/linearised/limits.h"

namespace veldmark {

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
  // Parallel links add up, in file order; a single link gives 0.0 + f = f.
  const int l = network.linkCount();
  for (int k = 0; k < l; ++k) {
    AbstractLinkRecord& record = network.records[k];
    if (record.observedFlow == 0.0) record.observedFlow = kFlowFloor;
    const LinkZoneEnds ends = network.linkZones[k];
    double& flow = workspace.TripTable[ends.from][ends.to];
    flow = flow + record.observedFlow;
    workspace.LinkFlows[k] = record.observedFlow;
  }
  for (int k = 0; k < l; ++k) {
    const LinkZoneEnds ends = network.linkZones[k];
    workspace.CostTable[ends.from][ends.to] = std::log(workspace.TripTable[ends.from][ends.to]);
  }
  console << "\n";
}

}  // namespace veldmark
