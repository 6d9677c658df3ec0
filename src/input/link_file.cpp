#include "input/link_file.h"

#include <algorithm>
#include <iterator>

#include "input/line_reader.h"
#include "input/number_parsing.h"
#include "veldmark/file_name.h"

namespace veldmark {
namespace {

// Room made for link lines before the first is read; a larger file grows it.
constexpr int kLinksReservedAtOnce = 5000;

// Parses the current line of `reader` as a link line: from node, to node,
// then the eight attributes, each read where the previous field stopped.
// Fails when a node cannot be read whole or is out of range; an unreadable
// attribute is 0.
Status parseLinkLine(const LineReader& reader, LinkLine& link) {
  const char* position = reader.text;
  link.lineNumber = reader.lineNumber;
  if (Status status = readNodeField(reader, position, "from", link.from); !status.ok()) {
    return status;
  }
  if (Status status = readNodeField(reader, position, "to", link.to); !status.ok()) {
    return status;
  }
  for (double& attribute : link.attributes) readReal(position, attribute);
  return Status{};
}

// Reads the link lines after the header, skipping blank ones.
Status readLinkLines(LineReader& reader, std::vector<LinkLine>& links, int maxLinks) {
  bool gotLine = false;
  for (;;) {
    if (Status status = readLine(reader, kLinkLine, gotLine); !status.ok()) return status;
    if (!gotLine) return Status{};
    if (isBlank(reader.text)) continue;
    if (static_cast<int>(links.size()) == maxLinks) {
      return lineError(reader, "more than " + std::to_string(maxLinks) + " link lines");
    }
    LinkLine link;
    if (Status status = parseLinkLine(reader, link); !status.ok()) return status;
    links.push_back(link);
  }
}

}  // namespace

Status readLinkFile(const std::string& path, std::vector<LinkLine>& links, int maxLinks) {
  links.clear();
  links.reserve(static_cast<std::size_t>(std::min(maxLinks, kLinksReservedAtOnce)));
  LineReader reader;
  Status status = openLineReader(path, reader);
  if (status.ok()) status = skipLeadingLines(reader, kMetadataLines);
  if (status.ok()) status = readLinkLines(reader, links, maxLinks);
  if (status.ok() && links.empty()) {
    status.message = displayName(path) + ": no link lines (they start at line " +
                     std::to_string(kMetadataLines + 2) + ")";
  }
  return status;
}

void storeAbstractLinks(const std::string& path, const std::vector<LinkLine>& links,
                        AbstractNetwork& network) {
  network.path = path;
  network.endpoints.clear();
  network.records.clear();
  network.lineNumbers.clear();
  for (const LinkLine& link : links) {
    network.endpoints.push_back(LinkEndpoints{link.from, link.to});
    AbstractLinkRecord record;
    std::copy(std::begin(link.attributes), std::end(link.attributes), record.attributes);
    network.records.push_back(record);
    network.lineNumbers.push_back(link.lineNumber);
  }
}

}  // namespace veldmark
