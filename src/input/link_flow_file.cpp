#include "input/link_flow_file.h"

#include "input/flow_line.h"
#include "input/line_reader.h"
#include "input/number_parsing.h"

namespace veldmark {

Status readLinkFlowFile(const std::string& path, AbstractNetwork& network) {
  LineReader reader;
  Status status = openLineReader(path, reader);
  if (status.ok()) status = skipLeadingLines(reader, kFlowMetadataLines);
  bool gotLine = false;
  while (status.ok()) {
    status = readLine(reader, kFlowLine, gotLine);
    if (!status.ok() || !gotLine) break;
    if (!isBlank(reader.text)) status = applyFlowLine(reader, network);
  }
  return status;
}

}  // namespace veldmark
