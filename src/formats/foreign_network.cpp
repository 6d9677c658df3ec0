// Matching an observed flow or count to its link.
#include "formats/foreign_network.h"

#include <cstdlib>

#include "formats/tntp_text.h"

namespace veldmark {

ForeignNetwork emptyForeignNetwork(const std::string& linkSource, const std::string& flowSource,
                                   const std::string& sourceNote, const std::string& attributeNote,
                                   const std::string& secondNote) {
  ForeignNetwork network;
  network.linkSource = linkSource;
  network.flowSource = flowSource;
  network.sourceNote = sourceNote;
  network.attributeNote = attributeNote;
  network.secondNote = secondNote;
  return network;
}

Status assignObservedFlow(ForeignNetwork& network, NodeId from, NodeId to, const std::string& flow,
                          const std::string& second, int flowLine) {
  const std::string ends = " from " + std::to_string(from) + " to " + std::to_string(to);
  if (!isRealField(flow) || std::strtod(flow.c_str(), nullptr) < 0.0) {
    return tntpLineError(network.flowSource, flowLine,
                         "observed flow \"" + flow + "\" is not a non-negative number");
  }
  bool linkExists = false;
  for (ForeignLink& link : network.links) {
    if (link.from != from || link.to != to) continue;
    linkExists = true;
    if (link.observed) continue;
    link.observed = true;
    link.flow = flow;
    link.second = second;
    link.flowLineNumber = flowLine;
    return Status{};
  }
  if (linkExists) {
    return tntpLineError(network.flowSource, flowLine, "more observed flows than links" + ends);
  }
  return tntpLineError(network.flowSource, flowLine,
                       "no link" + ends + " in " + network.linkSource);
}

}  // namespace veldmark
