// The inputs of the methods that balance a prior (entropy, gradient): BASE
// as the road network, ABSTRACT as the counted links on it, FLOWS as their
// counts, the zones and the prior.
#pragma once

#include "driver/run_state.h"
#include "veldmark/types.h"

namespace veldmark {

/// The most distinct nodes of an abstract network read for a balancing
/// method (its links are limited by the road network's kMaxRoadLinks).
inline constexpr int kMaxCountedNodes = 2 * 4000000;

/// Reads BASE (readRoadNetwork), ABSTRACT and FLOWS (the readers of the
/// default method, at the road network's limits; a count of 0 stays 0),
/// matches the abstract links to road links (matchCountedLinks), settles the
/// zones (--zones A-B or FILE, else the prior's zones in its order) and reads
/// the prior (readReferenceTable) into run.prior in zone order. Fails with
/// "P: zone N is not a zone (see --zones)", "P: negative trips from A to B",
/// "--zones is needed without --prior", or the readers' messages. Adds to
/// run.inputWarnings: zones without any prior trips, abstract links without a
/// count, flow lines naming no abstract link. Prints nothing.
Status readRoadInputs(Run& run);

}  // namespace veldmark
