// A network read from a foreign format, as the converter writes it out in
// Veldmark's own link and link flow files. Numbers keep their source text.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "veldmark/constants.h"
#include "veldmark/types.h"

namespace veldmark {

// One link of the source, in source order.
struct ForeignLink {
  NodeId from = 0;
  NodeId to = 0;
  std::string attributes[kAttributeCount];  // source texts of the 8 attributes ("0" when absent)
  bool observed = false;                    // true when a flow or count names this link
  std::string flow;                         // source text of its observed flow (when observed)
  std::string second;                       // source text of its second value ("0" when none)
  int lineNumber = 0;                       // 1-based line of the link in linkSource
  int flowLineNumber = 0;                   // 1-based line of its flow in flowSource
};

// The links and what the written files say about where they came from.
struct ForeignNetwork {
  std::string linkSource;          // the file the links came from (for messages and metadata)
  std::string flowSource;          // the file the flows or counts came from
  std::string sourceNote;          // one metadata line on the source ("TNTP zones 24 ...")
  std::string attributeNote;       // one metadata line on the 8 attributes
  std::string secondNote;          // one flow file metadata line on the second value
  std::string attributeNames;      // the link files' header after "from to "
  long zoneCount = -1;             // <NUMBER OF ZONES> of a TNTP network; -1: not given
  long firstThroughNode = -1;      // <FIRST THRU NODE> of a TNTP network; -1: not given
  std::vector<ForeignLink> links;  // source order
  // The positions in `links` of the links joining each (from, to) pair, in
  // source order (indexForeignLinks); the key is pairKey(from, to).
  std::unordered_map<std::uint64_t, std::vector<std::size_t>> linksByEnds;
};

/// The key of the ordered node pair (from, to) in ForeignNetwork::linksByEnds.
inline std::uint64_t pairKey(NodeId from, NodeId to) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(from)) << 32) |
         static_cast<std::uint32_t>(to);
}

/// Builds network.linksByEnds from network.links; call once the links are
/// read. Linear in the links.
void indexForeignLinks(ForeignNetwork& network);

/// A network without links that reads its links from `linkSource` and its
/// flows or counts from `flowSource`, with the three metadata notes.
ForeignNetwork emptyForeignNetwork(const std::string& linkSource, const std::string& flowSource,
                                   const std::string& sourceNote, const std::string& attributeNote,
                                   const std::string& secondNote);

/// Gives the next link in source order with endpoints (from, to) that has
/// no flow yet the flow `flow` and second value `second` (source texts) and
/// marks it observed. REQUIRES: indexForeignLinks ran; constant time for a
/// pair of few parallel links. Fails with "flowSource:flowLine: ..." when
/// no link has those endpoints or all of them have a value already, or when
/// `flow` is not a finite non-negative number.
Status assignObservedFlow(ForeignNetwork& network, NodeId from, NodeId to, const std::string& flow,
                          const std::string& second, int flowLine);

}  // namespace veldmark
