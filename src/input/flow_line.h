// One line of the link flow file: from node, to node, then for each abstract
// link with those endpoints, in link order, 3 skipped separator characters,
// the flow value and the second value.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "input/line_reader.h"
#include "veldmark/network.h"
#include "veldmark/types.h"

namespace veldmark {

// The abstract links by their endpoints: for each (from, to) key, the links
// with those endpoints in link order.
using EndpointIndex = std::unordered_map<std::uint64_t, std::vector<int>>;

/// The key of endpoints (from, to) in an EndpointIndex.
inline std::uint64_t endpointKey(NodeId from, NodeId to) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(from)) << 32) |
         static_cast<std::uint32_t>(to);
}

/// Every abstract link of `network` by its endpoints. Allocates.
EndpointIndex indexEndpoints(const AbstractNetwork& network);

/// The links of `index` with endpoints (from, to), in link order, or null.
const std::vector<int>* linksBetween(const EndpointIndex& index, NodeId from, NodeId to);

/// Sets observedFlow and observedSecondValue of every abstract link whose
/// endpoints are those of the current line of `reader`; the k-th matching
/// link takes the k-th value pair, the reading position moving on from pair
/// to pair. A line matching no link changes nothing. The second value is 0
/// when unreadable and is not checked. The from-node must end at a blank, a
/// tab, a CR or the line end; the to-node ends where its digits do, and the
/// 3 characters after it are skipped whatever they are. Fails with
/// "path:line: ..." when a node cannot be read or is out of range, the 3 skipped characters
/// would take part of a number, a flow value is missing, unreadable or runs
/// on into other characters (it must end at a blank, a tab, a CR or the end
/// of the line), or a flow is negative or not finite; links before the
/// failing one may already have their values. Never reads past the line's NUL.
/// `index` is indexEndpoints(network).
Status applyFlowLine(const LineReader& reader, const EndpointIndex& index,
                     AbstractNetwork& network);

}  // namespace veldmark
