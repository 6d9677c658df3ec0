// The two networks as the input phase leaves them for the estimation and the
// trip table writer. Every list is filled once and never grows past its
// capacity (kMaxLinks links, kMaxNodes nodes).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "veldmark/types.h"

namespace veldmark {

// The base network: only its node population matters downstream.
struct BaseNetwork {
  std::string path;                     // the file it was read from (for messages)
  std::vector<LinkLine> links;          // file order, at most kMaxLinks
  std::vector<NodeId> nodeList;         // BaseNodeList: from-nodes first, then to-only nodes
  std::vector<std::uint8_t> zoneFlags;  // ZoneFlags: 1 where nodeList[i] is also a zone
};

// The abstract network: its links are the rows of the estimation's programme,
// its nodes are the zones.
struct AbstractNetwork {
  std::string path;                         // the file it was read from (for messages)
  std::vector<LinkEndpoints> endpoints;     // per link, file order; size L <= kMaxLinks
  std::vector<AbstractLinkRecord> records;  // per link, same order
  std::vector<int> lineNumbers;             // per link, its 1-based line in the file
  std::vector<NodeId> zoneList;             // ZoneList; size N <= kMaxNodes
  std::vector<LinkZoneEnds> linkZones;      // LinkZones: per link, its zone indices

  int linkCount() const { return static_cast<int>(endpoints.size()); }
  int zoneCount() const { return static_cast<int>(zoneList.size()); }
};

}  // namespace veldmark
