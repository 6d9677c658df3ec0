// The HTML report: one self-contained page (inline SVG charts and styles,
// no script, nothing fetched when it opens) that shows how the estimation
// converged, how the estimate meets the counts, where the trips start and
// end, the table, and its comparison with a reference table.
#pragma once

#include <string>

#include "report/report_data.h"
#include "veldmark/types.h"

namespace veldmark {

/// The whole page for `data`: the verdict first, then the run, convergence,
/// fit, trip ends and table sections, then the comparison when
/// data.comparison is set. About
/// 1 MB at 150 zones (the heat map) and less above. Prints nothing.
std::string htmlReport(const ReportData& data);

/// Writes htmlReport(data) to `path` atomically (replaceFileContents).
/// Fails with "path: reason" when it cannot be written. Prints nothing.
Status writeHtmlReport(const std::string& path, const ReportData& data);

}  // namespace veldmark
