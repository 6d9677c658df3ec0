#include "estimation/linearised/linearised_method.h"

#include "estimation/linearised/outcome.h"
#include "estimation/linearised/outer_iteration.h"
#include "estimation/linearised/starting_tables.h"
#include "estimation/linearised/workspace.h"

namespace veldmark {

Status estimateLinearised(AbstractNetwork& network, const EstimationSettings& settings,
                          std::ostream& console, Estimate& estimate) {
  EstimationWorkspace workspace;
  const Status status =
      allocateWorkspace(network.zoneCount(), network.linkCount(), workspace, settings);
  if (!status.ok()) return status;
  buildStartingTables(workspace, network, console);
  estimate.linearised = runOuterIterations(workspace, network, console);
  estimate.outcome = linearisedOutcome(estimate.linearised);
  estimate.method = EstimationMethod::kLinearised;
  estimate.zones = network.zoneList;
  estimate.table = std::move(workspace.TripTable);
  estimate.countedVolumes = std::move(workspace.LinkFlows);
  return Status{};
}

}  // namespace veldmark
