// Reading a TNTP network with its flows.
#include "formats/tntp_network.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "formats/tntp_text.h"

namespace veldmark {
namespace {

constexpr int kFirstAttributeColumn = 2;  // 0-based column of the first attribute

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

Status readLinks(const std::string& netPath, ForeignNetwork& network) {
  TntpText net;
  if (Status status = readTntpText(netPath, net); !status.ok()) return status;
  for (const TntpLine& line : net.lines) {
    ForeignLink link;
    if (Status status = readLink(net, line, link); !status.ok()) return status;
    network.links.push_back(link);
  }
  if (network.links.empty()) return Status{netPath + ": no link records"};
  long promised = 0;
  if (tntpMetadataNumber(net, "NUMBER OF LINKS", promised).ok() &&
      promised != static_cast<long>(network.links.size())) {
    return Status{netPath + ": <NUMBER OF LINKS> is " + std::to_string(promised) + " but " +
                  std::to_string(network.links.size()) + " links were read"};
  }
  long zones = 0;
  long firstThrough = 0;
  if (tntpMetadataNumber(net, "NUMBER OF ZONES", zones).ok() &&
      tntpMetadataNumber(net, "FIRST THRU NODE", firstThrough).ok()) {
    network.sourceNote =
        "TNTP zones " + std::to_string(zones) + " first thru node " + std::to_string(firstThrough);
  }
  network.attributeNames = attributeNames(net.columnComment);
  return Status{};
}

// The columns of the flow records, from the header line when there is one.
struct FlowColumns {
  std::size_t volume = 2;
  std::size_t cost = 3;
};

// Takes the columns from a header line (a first line whose first field is
// not a number) and removes it from `flow.lines`.
FlowColumns flowColumns(TntpText& flow) {
  FlowColumns columns;
  NodeId node = 0;
  if (flow.lines.empty() || parseNodeField(flow.lines[0].fields[0], node)) return columns;
  const std::vector<std::string>& names = flow.lines[0].fields;
  for (std::size_t c = 0; c < names.size(); ++c) {
    if (lowered(names[c]) == "volume") columns.volume = c;
    if (lowered(names[c]) == "cost") columns.cost = c;
  }
  flow.lines.erase(flow.lines.begin());
  return columns;
}

Status readFlows(const std::string& flowPath, ForeignNetwork& network) {
  TntpText flow;
  if (Status status = readTntpText(flowPath, flow); !status.ok()) return status;
  const FlowColumns columns = flowColumns(flow);
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

}  // namespace

Status readTntpNetwork(const std::string& netPath, const std::string& flowPath,
                       ForeignNetwork& network) {
  network =
      emptyForeignNetwork(netPath, flowPath, "TNTP network",
                          "8 attributes: TNTP net columns 3 to 10", "second value: TNTP cost");
  if (Status status = readLinks(netPath, network); !status.ok()) return status;
  if (Status status = readFlows(flowPath, network); !status.ok()) return status;
  for (const ForeignLink& link : network.links) {
    if (link.observed) continue;
    return tntpLineError(netPath, link.lineNumber,
                         "link from " + std::to_string(link.from) + " to " +
                             std::to_string(link.to) + " has no flow in " + flowPath);
  }
  return Status{};
}

}  // namespace veldmark
