// The estimated table beside a reference table (an older survey, a model's
// table, or a test network's true table): the statistics planners read and
// the reference cells lined up with the estimate's pairs.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "report/comparison_statistics.h"
#include "veldmark/types.h"
#include "veldmark/zone_table.h"

namespace veldmark {

struct ReferenceComparison {
  std::string path;                          // the reference file as named on the command line
  double estimateTotal = 0;                  // sum of every cell of the estimate
  double referenceTotal = 0;                 // sum of every pair the reference file gives
  ComparisonStatistics cells;                // over the N * N ordered pairs of the estimate's zones
  ComparisonStatistics origins;              // over the N origin totals (row sums)
  ComparisonStatistics destinations;         // over the N destination totals (column sums)
  std::vector<NodeId> missingFromReference;  // estimate zones the reference does not name
  std::vector<NodeId> missingFromEstimate;   // reference zones the estimate does not have
  std::vector<double> referenceCells;        // N * N: reference[i * N + j] for estimate zones i, j
  std::vector<double> referenceOrigins;      // N: row sums of referenceCells, estimate zone order
  std::vector<double> referenceDestinations;  // N: column sums of referenceCells
};

/// Zones named at most in a list of missing zones (the warning, the
/// summary); the count says how many there are.
inline constexpr std::size_t kMissingZonesNamed = 20;

/// Lines `reference` (as readReferenceTable gives it: pairs not given are 0)
/// up with `estimate`'s zones: reference cells with a zone outside the
/// estimate count only in referenceTotal, which sums the reference's cells
/// in the order of their (origin, destination) zone numbers. Fills every
/// field except `path`, which the caller sets. Allocates N * N doubles and
/// the zones' indexes; prints nothing; never fails.
ReferenceComparison compareWithReference(const ZoneTable& estimate, const ZoneTable& reference);

/// The first kMissingZonesNamed zones of `zones` (the summary's lists).
std::vector<NodeId> namedZones(const std::vector<NodeId>& zones);

/// One warning line per non-empty list of missing zones, without the
/// "veldmark: warning: " prefix, e.g. "ref.csv: 2 zones of the estimate are
/// not in the reference (cells counted as 0): 25 26". At most 20 zones are
/// named, then "and N more" (zoneList). Prints nothing.
std::vector<std::string> comparisonWarnings(const ReferenceComparison& comparison);

/// The first `named` of `zones` separated by blanks, then " and N more" when
/// there are more ("3 4 5 and 19 more"); "" for none. Prints nothing.
std::string zoneList(const std::vector<NodeId>& zones, std::size_t named);

}  // namespace veldmark
