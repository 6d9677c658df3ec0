#include "report/reference_comparison.h"

#include <algorithm>
#include <cstddef>
#include <map>

namespace veldmark {
namespace {

constexpr std::size_t kZonesNamed = 20;  // zones named in one warning line

// The zones of `zones` for which `has` is false, in their order.
template <typename Has>
std::vector<NodeId> zonesWithout(const std::vector<NodeId>& zones, Has has) {
  std::vector<NodeId> missing;
  for (NodeId zone : zones) {
    if (!has(zone)) missing.push_back(zone);
  }
  return missing;
}

// Origin (row) and destination (column) totals of an N x N list of cells.
void tripEnds(const std::vector<double>& cells, std::size_t n, std::vector<double>& origins,
              std::vector<double>& destinations) {
  origins.assign(n, 0.0);
  destinations.assign(n, 0.0);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      origins[i] += cells[i * n + j];
      destinations[j] += cells[i * n + j];
    }
  }
}

std::string zoneWarning(const std::string& path, const std::vector<NodeId>& zones,
                        const char* what) {
  return path + ": " + std::to_string(zones.size()) + what + " " + zoneList(zones, kZonesNamed);
}

}  // namespace

ReferenceComparison compareWithReference(const ZoneTable& estimate,
                                         const ReferenceTable& reference) {
  ReferenceComparison comparison;
  const std::size_t n = estimate.zones.size();
  std::map<NodeId, std::size_t> position;
  for (std::size_t i = 0; i < n; ++i) position.emplace(estimate.zones[i], i);
  comparison.referenceCells.assign(n * n, 0.0);
  for (const auto& [pair, trips] : reference.values) {
    comparison.referenceTotal += trips;
    const auto origin = position.find(pair.first);
    const auto destination = position.find(pair.second);
    if (origin == position.end() || destination == position.end()) continue;
    comparison.referenceCells[origin->second * n + destination->second] = trips;
  }
  for (double cell : estimate.values) comparison.estimateTotal += cell;
  comparison.cells = compareValues(estimate.values, comparison.referenceCells);
  std::vector<double> estimatedOrigins, estimatedDestinations;
  tripEnds(estimate.values, n, estimatedOrigins, estimatedDestinations);
  tripEnds(comparison.referenceCells, n, comparison.referenceOrigins,
           comparison.referenceDestinations);
  comparison.origins = compareValues(estimatedOrigins, comparison.referenceOrigins);
  comparison.destinations = compareValues(estimatedDestinations, comparison.referenceDestinations);
  comparison.missingFromReference = zonesWithout(estimate.zones, [&](NodeId zone) {
    return std::find(reference.zones.begin(), reference.zones.end(), zone) != reference.zones.end();
  });
  comparison.missingFromEstimate =
      zonesWithout(reference.zones, [&](NodeId zone) { return position.count(zone) > 0; });
  return comparison;
}

std::string zoneList(const std::vector<NodeId>& zones, std::size_t named) {
  std::string list;
  for (std::size_t k = 0; k < zones.size() && k < named; ++k) {
    list += (k > 0 ? " " : "") + std::to_string(zones[k]);
  }
  if (zones.size() > named) list += " and " + std::to_string(zones.size() - named) + " more";
  return list;
}

std::vector<std::string> comparisonWarnings(const ReferenceComparison& comparison) {
  std::vector<std::string> warnings;
  if (!comparison.missingFromReference.empty()) {
    warnings.push_back(zoneWarning(comparison.path, comparison.missingFromReference,
                                   " zones of the estimate are not in the reference (cells "
                                   "counted as 0):"));
  }
  if (!comparison.missingFromEstimate.empty()) {
    warnings.push_back(zoneWarning(comparison.path, comparison.missingFromEstimate,
                                   " zones of the reference are not in the estimate (left "
                                   "out of the comparison):"));
  }
  return warnings;
}

}  // namespace veldmark
