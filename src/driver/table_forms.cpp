// --csv and --omx: the table built once, handed to each writer asked for.
#include "driver/table_forms.h"

#include "formats/csv_table_writer.h"
#include "formats/omx_file.h"
#include "output/table_order.h"

namespace veldmark {

std::vector<Status> writeTableForms(const Run& run) {
  std::vector<Status> failures;
  if (!run.options.csvPath && !run.options.omxPath) return failures;
  const ZoneTable table =
      buildZoneTable(run.estimate.table, run.estimate.zones, run.base.nodeList, run.base.zoneFlags);
  if (run.options.csvPath) {
    Status status = writeCsvTable(*run.options.csvPath, table);
    if (!status.ok()) failures.push_back(status);
  }
  if (run.options.omxPath) {
    Status status = writeOmxTable(*run.options.omxPath, table);
    if (!status.ok()) failures.push_back(status);
  }
  return failures;
}

}  // namespace veldmark
