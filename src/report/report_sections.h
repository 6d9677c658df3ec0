// The parts of the HTML report, each an HTML fragment (a <section>) drawn
// from the run's ReportData. Every string from the input is escaped.
#pragma once

#include <string>

#include "report/reference_comparison.h"
#include "report/report_data.h"

namespace veldmark {

inline constexpr int kTripEndZonesDrawn = 30;  // zones in the trip-end chart
inline constexpr int kLargestPairs = 50;       // pairs in the table of the largest
inline constexpr int kFurthestLinks = 20;      // links listed under the fit chart

/// The run in one paragraph: files, zones, links, iterations, converged or
/// stopped at the limit, the table's total, the warnings.
std::string runSection(const ReportData& data);

/// The convergence: the average change per iteration on a log scale with
/// the tolerance marked, the pivot passes and the objective per iteration.
std::string convergenceSection(const ReportData& data);

/// The fit: observed against estimated flow of every abstract link with the
/// diagonal, and the kFurthestLinks links furthest from it.
std::string fitSection(const ReportData& data);

/// Trip ends: origin and destination totals of the kTripEndZonesDrawn zones
/// with the most trips drawn as bars, every zone in a table.
std::string tripEndsSection(const ReportData& data);

/// The table: a heat map up to kMaxHeatMapZones zones, the kLargestPairs
/// largest pairs as a table for any size.
std::string tableSection(const ReportData& data);

/// The comparison with the reference: both totals, R^2, RMSE and relative
/// RMSE of cells, origin and destination totals, the missing zones and the
/// scattergram of estimated against reference cells.
std::string comparisonSection(const ReferenceComparison& comparison, const ZoneTable& estimate);

}  // namespace veldmark
