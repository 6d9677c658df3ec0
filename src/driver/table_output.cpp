#include "driver/table_output.h"

#include <unistd.h>

#include "driver/table_checks.h"
#include "output/trip_table_writer.h"

namespace veldmark {

Status writeTripTableFile(Run& run) {
  run.console.flush();  // the console comes before a table written to its own file
  if (Status status = checkTableIsFinite(run.estimate.table, run.abstract); !status.ok()) {
    return status;
  }
  if (isDescriptorFile(run.tripTablePath, STDOUT_FILENO)) {
    return appendTripTable(STDOUT_FILENO, run.tripTablePath, run.estimate.table, run.estimate.zones,
                           run.base.nodeList, run.base.zoneFlags);
  }
  return writeTripTable(run.tripTablePath, run.estimate.table, run.estimate.zones,
                        run.base.nodeList, run.base.zoneFlags);
}

}  // namespace veldmark
