// Formatting the base, abstract and flow files of a converted network.
#include "formats/network_files.h"

#include <cstdint>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "formats/tntp_text.h"
#include "veldmark/file_name.h"

namespace veldmark {
namespace {

constexpr const char* kConverter = "converted by veldmark-convert";

// Appends `text`, cut to `limit` characters, and a newline.
void appendLine(std::string& out, const std::string& text, int limit) {
  out += text.substr(0, static_cast<std::size_t>(limit));
  out += '\n';
}

// The last part of `path` as a metadata line may hold it: quoted and
// escaped (displayName) when it holds a control byte such as a newline.
std::string fileName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return displayName(slash == std::string::npos ? path : path.substr(slash + 1));
}

int distinctNodes(const std::vector<const ForeignLink*>& links) {
  std::set<NodeId> nodes;
  for (const ForeignLink* link : links) {
    nodes.insert(link->from);
    nodes.insert(link->to);
  }
  return static_cast<int>(nodes.size());
}

// Formats one link file of `links` under the metadata role line `role`.
Status formatLinkFile(const ForeignNetwork& network, const std::vector<const ForeignLink*>& links,
                      const std::string& role, std::string& out) {
  const std::string metadata[kMetadataLines] = {
      role,
      "from " + fileName(network.linkSource),
      "links " + std::to_string(links.size()) + " nodes " + std::to_string(distinctNodes(links)),
      network.sourceNote,
      network.attributeNote,
      network.flowSource.empty() ? "no flows" : "flows from " + fileName(network.flowSource),
      kConverter};
  for (const std::string& line : metadata) appendLine(out, line, kMetadataLineLimit);
  appendLine(out, "from to " + network.attributeNames, kHeaderLineLimit);
  for (const ForeignLink* link : links) {
    std::string line = std::to_string(link->from) + " " + std::to_string(link->to);
    for (const std::string& attribute : link->attributes) line += " " + attribute;
    if (line.size() > static_cast<std::size_t>(kDataLineLimit)) {
      return tntpLineError(
          network.linkSource, link->lineNumber,
          "link line longer than " + std::to_string(kDataLineLimit) + " characters once converted");
    }
    appendLine(out, line, kDataLineLimit);
  }
  return Status{};
}

// Groups the observed links by their pair of nodes, pairs in order of their
// first link, links in source order within a pair.
std::vector<std::vector<const ForeignLink*>> flowGroups(
    const std::vector<const ForeignLink*>& observed) {
  std::vector<std::vector<const ForeignLink*>> groups;
  std::unordered_map<std::uint64_t, std::size_t> groupOf;
  for (const ForeignLink* link : observed) {
    const auto [entry, isNew] = groupOf.emplace(pairKey(link->from, link->to), groups.size());
    if (isNew) groups.emplace_back();
    groups[entry->second].push_back(link);
  }
  return groups;
}

Status formatFlowFile(const ForeignNetwork& network,
                      const std::vector<const ForeignLink*>& observed, std::string& out) {
  const std::vector<std::vector<const ForeignLink*>> groups = flowGroups(observed);
  const std::string metadata[kFlowMetadataLines] = {
      "observed flows", "from " + fileName(network.flowSource),
      "flow lines " + std::to_string(groups.size()) + " links " + std::to_string(observed.size()),
      network.secondNote, kConverter};
  for (const std::string& line : metadata) appendLine(out, line, kMetadataLineLimit);
  appendLine(out, "from to   flow second", kHeaderLineLimit);
  for (const auto& group : groups) {
    std::string line = std::to_string(group[0]->from) + " " + std::to_string(group[0]->to);
    for (const ForeignLink* link : group) line += "   " + link->flow + " " + link->second;
    if (line.size() > static_cast<std::size_t>(kDataLineLimit)) {
      return tntpLineError(network.flowSource, group.back()->flowLineNumber,
                           "flow line longer than " + std::to_string(kDataLineLimit) +
                               " characters once converted (too many parallel links)");
    }
    appendLine(out, line, kDataLineLimit);
  }
  return Status{};
}

}  // namespace

Status formatNetworkFiles(const ForeignNetwork& network, NetworkFiles& files, bool withCounts) {
  files = NetworkFiles{};
  std::vector<const ForeignLink*> all;
  std::vector<const ForeignLink*> observed;
  for (const ForeignLink& link : network.links) {
    all.push_back(&link);
    if (link.observed) observed.push_back(&link);
  }
  if (withCounts && observed.empty()) return Status{network.flowSource + ": no observed link"};
  Status status =
      formatLinkFile(network, all, "base network: every link of the source", files.base);
  if (!withCounts) return status;
  if (status.ok()) {
    status =
        formatLinkFile(network, observed, "abstract network: the observed links", files.abstract);
  }
  if (status.ok()) status = formatFlowFile(network, observed, files.flows);
  return status;
}

}  // namespace veldmark
