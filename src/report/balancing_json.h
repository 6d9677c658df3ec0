// The "balancing" member of the run summary: how a balancing method (entropy,
// gradient) ran: the count weight and the held-out fit of each one tried,
// and per level the assignment and the balancing.
#pragma once

#include <nlohmann/json.hpp>

#include "estimation/balancing/balancing_record.h"

namespace veldmark {

/// The record as a JSON object (an infinite count weight, the hard limit, as
/// the string "inf"). Allocates; prints nothing.
nlohmann::ordered_json balancingJson(const BalancingRecord& record);

}  // namespace veldmark
