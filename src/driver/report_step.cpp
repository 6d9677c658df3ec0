#include "driver/report_step.h"

#include <string>

#include "formats/reference_table.h"
#include "output/table_order.h"
#include "report/html_report.h"

namespace veldmark {
namespace {

// The estimate as a ZoneTable over every zone of the ZoneList, in its order.
ZoneTable estimateTable(const Run& run) {
  const std::vector<std::uint8_t> everyZone(run.estimate.zones.size(), 1);
  return buildZoneTable(run.estimate.table, run.estimate.zones, run.estimate.zones, everyZone);
}

}  // namespace

Status readReference(Run& run) {
  if (!run.options.referencePath) return Status{};
  return readReferenceTable(*run.options.referencePath, run.reference);
}

void compareReference(Run& run) {
  if (!run.options.referencePath) return;
  run.comparison = compareWithReference(estimateTable(run), run.reference);
  run.comparison->path = *run.options.referencePath;
}

void addReferenceWarnings(const Run& run, RunSummary& summary) {
  if (!run.comparison) return;
  for (std::string& warning : comparisonWarnings(*run.comparison)) {
    summary.warnings.push_back(Warning{std::move(warning)});
  }
}

int writeReport(const Run& run, const RunSummary& summary, int exitCode) {
  if (!run.options.reportPath) return exitCode;
  ReportData data;
  data.summary = &summary;
  data.tripsPath = run.tripTablePath;
  data.tableWritten = run.tableWritten;
  data.table = estimateTable(run);
  if (run.comparison) data.comparison = &*run.comparison;
  const Status written = writeHtmlReport(*run.options.reportPath, data);
  if (written.ok()) return exitCode;
  run.errors << "veldmark: " << written.message << "\n";
  return 1;
}

}  // namespace veldmark
