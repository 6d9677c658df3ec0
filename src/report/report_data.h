// Everything the HTML report shows: the run's summary (inputs, iterations,
// end, fit of every abstract link, warnings), the estimated table, and the
// comparison with a reference table when there is one.
#pragma once

#include <string>

#include "report/reference_comparison.h"
#include "report/run_summary.h"
#include "veldmark/zone_table.h"

namespace veldmark {

struct ReportData {
  const RunSummary* summary = nullptr;  // REQUIRED: the run as --summary writes it
  std::string tripsPath;                // the trip table file, as named
  bool tableWritten = true;             // false: writing it failed (the run exits 1)
  ZoneTable table;                      // the estimate over the ZoneList, zones in its order
  const ReferenceComparison* comparison = nullptr;  // the reference comparison, or none
};

}  // namespace veldmark
