// Reading a TNTP network with its flows.
#include "formats/tntp_network.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "formats/tntp_text.h"

namespace veldmark {
namespace {

constexpr int kFirstAttributeColumn = 2;  // 0-based column of the first attribute

std::string trimmedLine(const std::string& text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

std::string lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The link files' header names: the comment's names of the attribute
// columns where it has them, "a1" ... "a8" where not.
std::string attributeNames(const std::string& columnComment) {
  std::vector<std::string> names;
  std::string name;
  for (const char c : columnComment + " ") {
    if (c == ' ' || c == '\t' || c == ';') {
      if (!name.empty()) names.push_back(name);
      name.clear();
    } else {
      name += c;
    }
  }
  std::string header;
  for (int k = 0; k < kAttributeCount; ++k) {
    const std::size_t column = kFirstAttributeColumn + k;
    header += (k == 0 ? "" : " ");
    header += column < names.size() ? names[column] : "a" + std::to_string(k + 1);
  }
  return header;
}

// Reads one link record of the network file.
Status readLink(const TntpText& net, const TntpLine& line, ForeignLink& link) {
  link.lineNumber = line.lineNumber;
  if (line.fields.size() < 2 || !parseNodeField(line.fields[0], link.from) ||
      !parseNodeField(line.fields[1], link.to)) {
    return tntpLineError(net.path, line.lineNumber, "from and to node numbers expected");
  }
  for (int k = 0; k < kAttributeCount; ++k) {
    const std::size_t column = kFirstAttributeColumn + k;
    link.attributes[k] = column < line.fields.size() ? line.fields[column] : "0";
    if (!isRealField(link.attributes[k])) {
      return tntpLineError(net.path, line.lineNumber,
                           "column " + std::to_string(column + 1) + " is not a number");
    }
  }
  return Status{};
}

// Checks <NUMBER OF LINKS> of `text` against the `rows` read: a negative
// value means unknown; a value that is not a whole number is refused.
Status checkLinkCount(const TntpText& text, std::size_t rows) {
  if (text.metadata.count("NUMBER OF LINKS") == 0) return Status{};
  long promised = 0;
  if (Status status = tntpMetadataInteger(text, "NUMBER OF LINKS", promised); !status.ok()) {
    return status;
  }
  if (promised >= 0 && promised != static_cast<long>(rows)) {
    return Status{text.path + ": <NUMBER OF LINKS> is " + std::to_string(promised) + " but " +
                  std::to_string(rows) + " links were read"};
  }
  return Status{};
}

// Reads <NUMBER OF ZONES> and <FIRST THRU NODE> where given (-1 where not).
Status readZoneMetadata(const TntpText& net, ForeignNetwork& network) {
  const std::pair<const char*, long*> keys[] = {{"NUMBER OF ZONES", &network.zoneCount},
                                                {"FIRST THRU NODE", &network.firstThroughNode}};
  for (const auto& [key, value] : keys) {
    *value = -1;
    if (net.metadata.count(key) == 0) continue;
    if (Status status = tntpMetadataInteger(net, key, *value); !status.ok()) return status;
  }
  if (network.zoneCount >= 0 && network.firstThroughNode >= 0) {
    network.sourceNote = "TNTP zones " + std::to_string(network.zoneCount) + " first thru node " +
                         std::to_string(network.firstThroughNode);
  }
  return Status{};
}

// The columns of the flow records, from the header line when there is one.
struct FlowColumns {
  std::size_t volume = 2;
  std::size_t cost = 3;
};

// Takes the columns from a header line (a first line whose first field is
// not a number) and removes it from `flow.lines`. Fails with
// "path:line: the header line names no Volume column: ..." when the header
// has no such column, which would leave another column taken as counts.
Status flowColumns(TntpText& flow, FlowColumns& columns) {
  NodeId node = 0;
  if (flow.lines.empty() || parseNodeField(flow.lines[0].fields[0], node)) return Status{};
  const std::vector<std::string>& names = flow.lines[0].fields;
  bool haveVolume = false;
  for (std::size_t c = 0; c < names.size(); ++c) {
    if (lowered(names[c]) == "volume" && !haveVolume) columns.volume = c, haveVolume = true;
    if (lowered(names[c]) == "cost") columns.cost = c;
  }
  if (!haveVolume) {
    return tntpLineError(
        flow.path, flow.lines[0].lineNumber,
        "the header line names no Volume column: \"" + trimmedLine(flow.lines[0].text) + "\"");
  }
  flow.lines.erase(flow.lines.begin());
  return Status{};
}

}  // namespace

Status readTntpFlows(const std::string& flowPath, ForeignNetwork& network) {
  network.flowSource = flowPath;
  TntpText flow;
  if (Status status = readTntpText(flowPath, flow); !status.ok()) return status;
  FlowColumns columns;
  if (Status status = flowColumns(flow, columns); !status.ok()) return status;
  if (Status status = checkLinkCount(flow, flow.lines.size()); !status.ok()) return status;
  for (const TntpLine& line : flow.lines) {
    NodeId from = 0;
    NodeId to = 0;
    if (!parseNodeField(line.fields[0], from) || line.fields.size() < 2 ||
        !parseNodeField(line.fields[1], to)) {
      return tntpLineError(flowPath, line.lineNumber, "from and to node numbers expected");
    }
    if (line.fields.size() <= columns.volume) {
      return tntpLineError(flowPath, line.lineNumber, "no volume");
    }
    const std::string second = line.fields.size() > columns.cost ? line.fields[columns.cost] : "0";
    if (!isRealField(second))
      return tntpLineError(flowPath, line.lineNumber, "cost is not a number");
    Status status =
        assignObservedFlow(network, from, to, line.fields[columns.volume], second, line.lineNumber);
    if (!status.ok()) return status;
  }
  return Status{};
}

Status readTntpLinks(const std::string& netPath, ForeignNetwork& network) {
  network =
      emptyForeignNetwork(netPath, "", "TNTP network", "8 attributes: TNTP net columns 3 to 10",
                          "second value: TNTP cost");
  TntpText net;
  if (Status status = readTntpText(netPath, net); !status.ok()) return status;
  network.links.reserve(net.lines.size());
  for (const TntpLine& line : net.lines) {
    ForeignLink link;
    if (Status status = readLink(net, line, link); !status.ok()) return status;
    network.links.push_back(std::move(link));
  }
  if (network.links.empty()) return Status{netPath + ": no link records"};
  if (Status status = checkLinkCount(net, network.links.size()); !status.ok()) return status;
  if (Status status = readZoneMetadata(net, network); !status.ok()) return status;
  network.attributeNames = attributeNames(net.columnComment);
  indexForeignLinks(network);
  return Status{};
}

Status readTntpNetwork(const std::string& netPath, const std::string& flowPath,
                       ForeignNetwork& network) {
  if (Status status = readTntpLinks(netPath, network); !status.ok()) return status;
  if (Status status = readTntpFlows(flowPath, network); !status.ok()) return status;
  for (const ForeignLink& link : network.links) {
    if (link.observed) continue;
    return tntpLineError(netPath, link.lineNumber,
                         "link from " + std::to_string(link.from) + " to " +
                             std::to_string(link.to) + " has no flow in " + flowPath);
  }
  return Status{};
}

}  // namespace veldmark
