// Reading a network and its counts from CSV tables.
#include "formats/csv_network.h"

#include "formats/csv_records.h"
#include "formats/tntp_text.h"

namespace veldmark {
namespace {

// The node columns of a links or counts table.
struct NodeColumns {
  std::size_t from = 0;
  std::size_t to = 0;
};

Status findNodeColumns(const CsvTable& table, NodeColumns& columns) {
  if (Status status = findCsvColumn(table, "from_node_id", columns.from); !status.ok()) {
    return status;
  }
  return findCsvColumn(table, "to_node_id", columns.to);
}

// Reads the from and to node of `record`.
Status readNodes(const CsvTable& table, const CsvRecord& record, const NodeColumns& columns,
                 NodeId& from, NodeId& to) {
  std::string fromText;
  std::string toText;
  if (Status status = csvField(table, record, columns.from, fromText); !status.ok()) return status;
  if (Status status = csvField(table, record, columns.to, toText); !status.ok()) return status;
  if (!parseNodeField(fromText, from) || !parseNodeField(toText, to)) {
    return tntpLineError(table.path, record.lineNumber, "node ids must be whole numbers");
  }
  return Status{};
}

Status readLinks(const std::string& path, ForeignNetwork& network) {
  CsvTable table;
  NodeColumns columns;
  if (Status status = readCsvTable(path, table); !status.ok()) return status;
  if (Status status = findNodeColumns(table, columns); !status.ok()) return status;
  for (const CsvRecord& record : table.records) {
    ForeignLink link;
    link.lineNumber = record.lineNumber;
    for (std::string& attribute : link.attributes) attribute = "0";
    Status status = readNodes(table, record, columns, link.from, link.to);
    if (!status.ok()) return status;
    network.links.push_back(link);
  }
  if (network.links.empty()) return Status{path + ": no link records"};
  indexForeignLinks(network);
  return Status{};
}

}  // namespace

Status readCsvCounts(const std::string& path, const std::string& countColumn,
                     ForeignNetwork& network) {
  network.flowSource = path;
  CsvTable table;
  NodeColumns columns;
  std::size_t count = 0;
  if (Status status = readCsvTable(path, table); !status.ok()) return status;
  if (Status status = findNodeColumns(table, columns); !status.ok()) return status;
  if (Status status =
          findCsvColumn(table, countColumn, count, "; name the count column with --count-column");
      !status.ok()) {
    return status;
  }
  for (const CsvRecord& record : table.records) {
    NodeId from = 0;
    NodeId to = 0;
    std::string value;
    if (Status status = readNodes(table, record, columns, from, to); !status.ok()) return status;
    if (Status status = csvField(table, record, count, value); !status.ok()) return status;
    Status status = assignObservedFlow(network, from, to, value, "0", record.lineNumber);
    if (!status.ok()) return status;
  }
  if (table.records.empty()) return Status{path + ": no count records"};
  return Status{};
}

Status readCsvNetwork(const std::string& linksPath, const std::string& countsPath,
                      const std::string& countColumn, ForeignNetwork& network) {
  network = emptyForeignNetwork(linksPath, countsPath, "CSV links: from_node_id, to_node_id",
                                "8 attributes: none in the source (0)",
                                "second value: none in the source (0)");
  network.attributeNames = "a1 a2 a3 a4 a5 a6 a7 a8";
  if (Status status = readLinks(linksPath, network); !status.ok()) return status;
  return readCsvCounts(countsPath, countColumn, network);
}

}  // namespace veldmark
