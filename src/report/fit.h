// The fit of the estimate to the counts: per abstract link its (floored)
// count beside the flow the estimate puts on it, and the statistics over all
// links.
#pragma once

#include <string>
#include <vector>

#include "report/run_summary.h"
#include "veldmark/network.h"

namespace veldmark {

/// One LinkFit per abstract link in file order: endpoints, line, the
/// observed flow of its record, `linkFlows[k]` as the estimate, their
/// difference E - O and GEH = sqrt(2 (E - O)^2 / (E + O)) (infinity when
/// E + O <= 0). REQUIRES: linkFlows.size() == network.linkCount(). Allocates;
/// prints nothing.
std::vector<LinkFit> fitLinks(const AbstractNetwork& network, const std::vector<double>& linkFlows);

/// The largest absolute and relative difference (relative to the count),
/// RMSE, the share of links with GEH < 5 and the largest GEH (NaN when a
/// GEH is not a number), the links off their count by more
/// than kFitTolerance relative, and the link of the largest relative
/// difference (the first of equals). Without links: zeros, share 1, no link.
FitStatistics fitStatistics(const std::vector<LinkFit>& fit);

/// The fit as CSV text: the header "from,to,observed,estimated,difference,geh"
/// and one row per link in order, numbers in shortest round-trip form.
std::string formatFitCsv(const std::vector<LinkFit>& fit);

}  // namespace veldmark
