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
inline constexpr int kZonesListed = 20;        // zones named in a list before "and N more"
inline constexpr double kGehGood = 5.0;        // a count is met when its GEH is below this
inline constexpr double kGehShareGood = 0.85;  // the share of counts planners ask to be met

/// What the estimate is worth, first: the share of counts within GEH 5 and
/// the worst GEH; whether the run reached its optimum or stopped, and why
/// (summary.outcome); with a reference, its cells and trip-end R^2, the
/// cells' relative RMSE and the total ratio; and the limit of any estimate
/// from counts, with the figure that shows it when a reference is given.
std::string verdictSection(const ReportData& data);

/// The run in one paragraph: files, zones, links, iterations, optimum
/// reached or stopped (and why), the table's total, the warnings.
std::string runSection(const ReportData& data);

/// The convergence: the average change per iteration on a log scale with
/// the tolerance marked, the pivot passes and the objective per iteration.
std::string convergenceSection(const ReportData& data);

/// A balancing method's run (entropy, gradient): the count weight and
/// trip-end weight, the held-out fit of each count weight tried, and per
/// level the assignment's gap, iterations and routes and the balancing's
/// steps and convergence.
std::string balancingSection(const ReportData& data);

/// The fit: GEH of every count in words and as a sorted chart with GEH 5 and
/// the 85% share marked, observed against estimated flow with the diagonal,
/// and the kFurthestLinks links of the largest GEH (or one line saying that
/// every count is met, when no link is off its count).
std::string fitSection(const ReportData& data);

/// Trip ends: origin and destination totals of the kTripEndZonesDrawn zones
/// with the most trips drawn as bars (with a reference: an origins chart and
/// a destinations chart, the reference's bar beside the estimate's), every
/// zone in a table.
std::string tripEndsSection(const ReportData& data);

/// The table: a heat map up to kMaxHeatMapZones zones, the kLargestPairs
/// largest pairs as a table for any size.
std::string tableSection(const ReportData& data);

/// The comparison with the reference: both totals, R^2, RMSE and relative
/// RMSE of cells, origin and destination totals, the missing zones (the
/// first kZonesListed of each side and how many more) and the scattergram
/// of estimated against reference cells.
std::string comparisonSection(const ReferenceComparison& comparison, const ZoneTable& estimate);

}  // namespace veldmark
