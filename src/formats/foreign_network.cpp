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

void indexForeignLinks(ForeignNetwork& network) {
  network.linksByEnds.clear();
  for (std::size_t k = 0; k < network.links.size(); ++k) {
    const ForeignLink& link = network.links[k];
    network.linksByEnds[pairKey(link.from, link.to)].push_back(k);
  }
}

Status assignObservedFlow(ForeignNetwork& network, NodeId from, NodeId to, const std::string& flow,
                          const std::string& second, int flowLine) {
  const std::string ends = " from " + std::to_string(from) + " to " + std::to_string(to);
  if (!isRealField(flow) || std::strtod(flow.c_str(), nullptr) < 0.0) {
    return tntpLineError(network.flowSource, flowLine,
                         "observed flow \"" + flow + "\" is not a non-negative number");
  }
  const auto joining = network.linksByEnds.find(pairKey(from, to));
  const bool linkExists = joining != network.linksByEnds.end();
  for (std::size_t position : linkExists ? joining->second : std::vector<std::size_t>{}) {
    ForeignLink& link = network.links[position];
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
