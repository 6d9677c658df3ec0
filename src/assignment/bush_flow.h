// Equilibrating an origin's bush: at each node, flow moves from the
// costliest used route of the bush to the cheapest by a Newton step on the
// two segments where they differ, the link volumes and costs updated as it
// goes (Dial's method B).
#pragma once

#include <cstdint>
#include <vector>

#include "assignment/bush.h"
#include "assignment/link_cost.h"
#include "assignment/route_shift.h"

namespace veldmark {

// Labels of a bush's nodes and the segments of a shift, reused from origin
// to origin by one thread; per position in the bush's order.
struct BushLabels {
  std::vector<double> shortest;       // L: the cheapest route's cost from the origin
  std::vector<double> longest;        // U: the costliest used route's cost (L where none is used)
  std::vector<std::int32_t> shortIn;  // the entry ending the cheapest route
  std::vector<std::int32_t> longIn;   // the entry ending the costliest used route, or -1
  std::vector<std::int32_t> cheapSegment, dearSegment;  // entries of a shift's two segments
};

/// Fills labels.shortest and labels.shortIn over every entry of `bush`,
/// and labels.longest and labels.longIn over the entries with flow > 0
/// (a node without one: U = L, longIn = -1), at the link costs `linkCosts`,
/// nodes in order:
///   L_j = min over in-links (i, j) of L_i + c_ij   (first least in entry order)
///   U_j = max over used in-links (i, j) of U_i + c_ij   (first greatest).
/// Prints nothing.
void labelBush(const Bush& bush, const double* linkCosts, BushLabels& labels);

/// One pass of shifts over `bush`: labels at the current costs, then for
/// each node j from the last in order to the first after the origin, where
/// the costliest used route's last entry differs from the cheapest's, the
/// two routes are followed back (always stepping the one whose node comes
/// later in the order) to the node where they meet; over the two segments
/// from there to j, at the costs of the moment,
///   Δ = min(min_{a ∈ dear} x_a, (C_dear − C_cheap) / Σ_{a ∈ dear ∪ cheap} c'_a)
/// moves from the dear segment to the cheap one (all of the minimum when the
/// derivatives sum to 0), updating the bush's flows and the links' volumes,
/// costs and derivatives. Returns the largest U_j − L_j of the labels (0 for
/// a bush at equilibrium). Prints nothing; allocates only as labels grow.
double shiftBush(const CostModel& model, LinkState& links, Bush& bush, BushLabels& labels);

/// shiftBush with the labels given (labelBush of `bush`, at whatever costs
/// the caller chose: they pick the segments; the steps use the costs of the
/// moment); every link whose volume changes is added to `touched` (once a
/// change, so maybe more than once) when it is not null.
double shiftLabelledBush(const CostModel& model, LinkState& links, Bush& bush, BushLabels& labels,
                         std::vector<std::int32_t>* touched);

}  // namespace veldmark
