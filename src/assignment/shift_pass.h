// A pass of shifts over every origin's bush, origins in order on one member,
// each bush's labels taken one bush behind: at the link costs from before
// the previous bush's shifts. A second member of the team computes the next
// bush's labels while this bush shifts; the labels are the same bits
// whichever member computes them, so the pass does not depend on the team.
#pragma once

#include <cstdint>
#include <vector>

#include "assignment/bush.h"
#include "assignment/bush_flow.h"
#include "assignment/link_cost.h"
#include "assignment/route_shift.h"
#include "numeric/thread_team.h"

namespace veldmark {

// Work arrays of a pass, kept from pass to pass.
struct ShiftPassScratch {
  std::vector<double> costs[2];          // the link costs job j's labels read: costs[j % 2]
  BushLabels slot[2];                    // the labels of job j, computed by the second member
  BushLabels own;                        // labels the shifting member computed itself
  std::vector<std::int32_t> touched[2];  // the links step j changed: touched[j % 2]
};

/// For o = 0 .. bushes.size() - 1 in order: labelBush(bushes[o]) at T_o,
/// then shiftLabelledBush(bushes[o]) at the costs of the moment, where
///   T_0 = T_1 = the costs at the pass's start,
///   T_o = the costs once bushes 0 .. o-2 have shifted.
/// With a team of two or more, one member computes labels ahead while
/// another shifts; the shifting member waits for a bush's labels only once
/// the other member has begun them, and never for a member that has not;
/// while it waits it computes the next bush's labels itself. Prints nothing.
void shiftPass(const CostModel& model, LinkState& links, std::vector<Bush>& bushes,
               ShiftPassScratch& scratch, ThreadTeam* team);

}  // namespace veldmark
