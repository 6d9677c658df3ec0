// One line of the link flow file: from node, to node, then for each abstract
// link with those endpoints, in link order, 3 skipped separator characters,
// the flow value and the second value.
#pragma once

#include "input/line_reader.h"
#include "veldmark/network.h"
#include "veldmark/types.h"

namespace veldmark {

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
Status applyFlowLine(const LineReader& reader, AbstractNetwork& network);

}  // namespace veldmark
