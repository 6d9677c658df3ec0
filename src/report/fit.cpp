#include "report/fit.h"

#include <cmath>
#include <limits>

#include "output/shortest_number.h"

namespace veldmark {

std::vector<LinkFit> fitLinks(const AbstractNetwork& network,
                              const std::vector<double>& linkFlows) {
  std::vector<LinkFit> fit(network.linkCount());
  for (int k = 0; k < network.linkCount(); ++k) {
    LinkFit& link = fit[k];
    link.from = network.endpoints[k].from;
    link.to = network.endpoints[k].to;
    link.line = k < static_cast<int>(network.lineNumbers.size()) ? network.lineNumbers[k] : 0;
    link.observed = network.records[k].observedFlow;
    link.estimated = linkFlows[k];
    link.difference = link.estimated - link.observed;
    const double sum = link.estimated + link.observed;
    // A count of 0 met by a volume of 0 (the balancing methods' real zero
    // counts) is a perfect fit: GEH 0, not 0 / 0.
    link.geh = sum > 0.0                ? std::sqrt(2.0 * link.difference * link.difference / sum)
               : link.difference == 0.0 ? 0.0
                                        : std::numeric_limits<double>::infinity();
  }
  return fit;
}

FitStatistics fitStatistics(const std::vector<LinkFit>& fit) {
  FitStatistics statistics;
  if (fit.empty()) {
    statistics.shareGehBelow5 = 1.0;
    return statistics;
  }
  double squares = 0.0;
  int gehBelow5 = 0;
  for (std::size_t k = 0; k < fit.size(); ++k) {
    const double absolute = std::fabs(fit[k].difference);
    const double relative = absolute / fit[k].observed;
    squares = squares + fit[k].difference * fit[k].difference;
    if (fit[k].geh < 5.0) ++gehBelow5;
    if (!std::isnan(statistics.largestGeh) && !(fit[k].geh <= statistics.largestGeh)) {
      statistics.largestGeh = fit[k].geh;  // a NaN stays
    }
    if (absolute > kFitTolerance * fit[k].observed || std::isnan(absolute)) ++statistics.linksOff;
    if (absolute > statistics.largestAbsoluteDifference) {
      statistics.largestAbsoluteDifference = absolute;
    }
    if (statistics.worstLink < 0 || relative > statistics.largestRelativeDifference) {
      statistics.largestRelativeDifference = relative;
      statistics.worstLink = static_cast<int>(k);
    }
  }
  const double links = static_cast<double>(fit.size());
  statistics.rmse = std::sqrt(squares / links);
  statistics.shareGehBelow5 = gehBelow5 / links;
  return statistics;
}

std::string formatFitCsv(const std::vector<LinkFit>& fit) {
  std::string text = "from,to,observed,estimated,difference,geh\n";
  for (const LinkFit& link : fit) {
    text += std::to_string(link.from) + "," + std::to_string(link.to) + "," +
            shortestNumber(link.observed) + "," + shortestNumber(link.estimated) + "," +
            shortestNumber(link.difference) + "," + shortestNumber(link.geh) + "\n";
  }
  return text;
}

}  // namespace veldmark
