#include "report/reference_comparison.h"

#include <algorithm>
#include <cstddef>
#include <unordered_map>
#include <unordered_set>

namespace veldmark {
namespace {

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
  return path + ": " + std::to_string(zones.size()) + what + " " +
         zoneList(zones, kMissingZonesNamed);
}

// The sum of every cell of `table`, in the order of the (origin,
// destination) zone numbers: a cell not given is +0.0 and changes no bit.
double totalInZoneOrder(const ZoneTable& table) {
  const std::size_t n = table.zones.size();
  std::vector<std::size_t> order(n);
  for (std::size_t i = 0; i < n; ++i) order[i] = i;
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return table.zones[a] < table.zones[b]; });
  double total = 0.0;
  for (std::size_t i : order) {
    for (std::size_t j : order) total += table.values[i * n + j];
  }
  return total;
}

}  // namespace

std::vector<NodeId> namedZones(const std::vector<NodeId>& zones) {
  return {zones.begin(), zones.begin() + std::min(zones.size(), kMissingZonesNamed)};
}

ReferenceComparison compareWithReference(const ZoneTable& estimate, const ZoneTable& reference) {
  ReferenceComparison comparison;
  const std::size_t n = estimate.zones.size();
  const std::size_t m = reference.zones.size();
  std::unordered_map<NodeId, std::size_t> position;
  for (std::size_t i = 0; i < n; ++i) position.emplace(estimate.zones[i], i);
  // The estimate's position of each reference zone, or n when it has none.
  std::vector<std::size_t> at(m, n);
  const std::unordered_set<NodeId> inReference(reference.zones.begin(), reference.zones.end());
  for (std::size_t r = 0; r < m; ++r) {
    const auto found = position.find(reference.zones[r]);
    if (found != position.end()) {
      at[r] = found->second;
    } else {
      comparison.missingFromEstimate.push_back(reference.zones[r]);
    }
  }
  comparison.referenceTotal = totalInZoneOrder(reference);
  comparison.referenceCells.assign(n * n, 0.0);
  for (std::size_t r = 0; r < m; ++r) {
    if (at[r] == n) continue;
    for (std::size_t c = 0; c < m; ++c) {
      if (at[c] != n) comparison.referenceCells[at[r] * n + at[c]] = reference.values[r * m + c];
    }
  }
  for (double cell : estimate.values) comparison.estimateTotal += cell;
  comparison.cells = compareValues(estimate.values, comparison.referenceCells);
  std::vector<double> estimatedOrigins, estimatedDestinations;
  tripEnds(estimate.values, n, estimatedOrigins, estimatedDestinations);
  tripEnds(comparison.referenceCells, n, comparison.referenceOrigins,
           comparison.referenceDestinations);
  comparison.origins = compareValues(estimatedOrigins, comparison.referenceOrigins);
  comparison.destinations = compareValues(estimatedDestinations, comparison.referenceDestinations);
  for (NodeId zone : estimate.zones) {
    if (inReference.count(zone) == 0) comparison.missingFromReference.push_back(zone);
  }
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
