#include "output/trip_table_format.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iomanip>
#include <ios>
#include <ostream>
#include <vector>

#include "output/table_order.h"

namespace veldmark {
namespace {

constexpr int kEntriesPerLine = 5;
constexpr int kNodeIdWidth = 5;
constexpr int kFlowWidth = 9;
constexpr int kFlowDecimals = 1;

// Returns the sum of |tripTable| over all zoneCount x zoneCount entries, row
// after row, each absolute value added to the running sum.
double totalOdFlow(const DenseMatrix& tripTable, int zoneCount) {
  double total = 0.0;
  for (int i = 0; i < zoneCount; ++i) {
    const double* row = tripTable[i];
    for (int j = 0; j < zoneCount; ++j) total = std::fabs(row[j]) + total;
  }
  return total;
}

// Writes the origin line and the entries of one block, five to a line, then
// the empty line after it. Expects `out` in fixed notation, precision 1.
void writeBlock(std::ostream& out, const DenseMatrix& tripTable, const TableNode& origin,
                const std::vector<TableNode>& nodes) {
  out << "Origin"
      << " "
      << "\t" << origin.id << " \n";
  const double* row = tripTable[origin.zone];
  int entries = 0;
  for (const TableNode& destination : nodes) {
    out << std::setw(kNodeIdWidth) << destination.id << " :" << std::setw(kFlowWidth)
        << std::fabs(row[destination.zone]) << ";";
    ++entries;
    if (entries % kEntriesPerLine == 0) out << " \n";
  }
  if (entries % kEntriesPerLine != 0) out << " \n";
  out << "\n";
}

}  // namespace

void formatTripTable(std::ostream& out, const DenseMatrix& tripTable,
                     const std::vector<NodeId>& zoneList, const std::vector<NodeId>& baseNodes,
                     const std::vector<std::uint8_t>& zoneFlags) {
  const std::ios_base::fmtflags savedFlags = out.flags();
  const std::streamsize savedPrecision = out.precision();
  const char savedFill = out.fill();

  // The header is written in the default format of a fresh stream.
  out.flags(std::ios_base::dec | std::ios_base::skipws);
  out.precision(6);
  out.fill(' ');
  const int zoneCount = static_cast<int>(zoneList.size());
  out << "<NUMBER OF ZONES> " << (zoneCount == 0 ? 0 : zoneList.back()) << "\n";
  out << "<TOTAL OD FLOW> " << totalOdFlow(tripTable, zoneCount) << "\n";
  out << "<END OF METADATA>"
      << "\n\n\n";

  out << std::right << std::fixed << std::setprecision(kFlowDecimals);
  const std::vector<TableNode> nodes = tableNodes(zoneList, baseNodes, zoneFlags);
  for (const TableNode& origin : nodes) writeBlock(out, tripTable, origin, nodes);

  out.flags(savedFlags);
  out.precision(savedPrecision);
  out.fill(savedFill);
}

}  // namespace veldmark
