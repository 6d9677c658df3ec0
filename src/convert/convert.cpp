// veldmark-convert: options, sub-command, the conversion, one summary line.
#include "convert/convert.h"

#include <cctype>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "convert/convert_usage.h"
#include "convert/network_command.h"
#include "formats/csv_table_writer.h"
#include "formats/omx_file.h"
#include "formats/reference_table.h"
#include "output/outputs_apart.h"

namespace veldmark {
namespace {

// The parsed command line.
struct Command {
  std::string name;                    // the sub-command
  std::vector<std::string> arguments;  // its file arguments
  std::string countColumn = "count";   // --count-column
  bool help = false;                   // --help (or -h where the sub-command goes)
  bool version = false;                // --version
};

// Options anywhere before "--" (cli/command_line.h); the first operand is
// the sub-command, the others its files.
Status readCommand(int argc, char** argv, Command& command) {
  const std::vector<OptionRule> rules = {textRule("count-column", command.countColumn),
                                         flagRule("help", command.help),
                                         flagRule("version", command.version)};
  std::vector<char*> operands;
  if (Status status = parseCommandLine(argc, argv, rules, "veldmark-convert", operands);
      !status.ok()) {
    return status;
  }
  if (!operands.empty() && std::strcmp(operands[0], "-h") == 0) {
    command.help = true;
    return Status{};
  }
  if (!operands.empty()) command.name = operands[0];
  for (std::size_t k = 1; k < operands.size(); ++k) command.arguments.push_back(operands[k]);
  return Status{};
}

// Checks the number of file arguments of the sub-command.
Status checkArguments(const Command& command) {
  const bool network = command.name == "tntp" || command.name == "csv";
  const bool table = command.name == "table" || command.name == "tntp-trips";
  if (command.name.empty()) return Status{"a COMMAND is needed (see --help)"};
  if (!network && !table) return Status{"unknown command " + command.name + " (see --help)"};
  const std::size_t given = command.arguments.size();
  if (command.name == "tntp" && (given == 2 || given == 3)) return Status{};
  if (given == (network ? 3u : 2u)) return Status{};
  const char* files = command.name == "tntp"  ? "NET.tntp [FLOW.tntp|COUNTS.csv] OUTDIR"
                      : command.name == "csv" ? "LINKS.csv COUNTS.csv OUTDIR"
                                              : "TRIPS OUT.csv|OUT.omx";
  return Status{command.name + " takes " + files};
}

bool hasExtension(const std::string& path, const char* extension) {
  const std::size_t length = std::strlen(extension);
  if (path.size() < length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    const char c = path[path.size() - length + i];
    if (std::tolower(static_cast<unsigned char>(c)) != extension[i]) return false;
  }
  return true;
}

Status convertTable(const Command& command, std::ostream& console) {
  const std::string& input = command.arguments[0];
  const std::string& output = command.arguments[1];
  const bool csv = hasExtension(output, ".csv");
  if (!csv && !hasExtension(output, ".omx")) {
    return Status{output + ": the output name must end in .csv or .omx"};
  }
  if (Status status = checkOutputsApart({{"TRIPS", input}}, {{"OUT", output}}); !status.ok()) {
    return status;
  }
  const TableLayout layout = command.name == "table" ? TableLayout::kVeldmark : TableLayout::kTntp;
  ZoneTable table;
  if (Status status = readTableInLayout(input, layout, table); !status.ok()) return status;
  Status status = csv ? writeCsvTable(output, table) : writeOmxTable(output, table);
  if (status.ok()) console << output << ": " << table.zoneCount() << " zones\n";
  return status;
}

int fail(std::ostream& errors, const Status& status) {
  errors << "veldmark-convert: " << status.message << "\n";
  errors.flush();
  return 1;
}

// The conversion the command names; a machine out of memory is reported.
Status convert(const Command& command, std::ostream& console) {
  try {
    if (command.name == "tntp" || command.name == "csv") {
      return convertNetwork(command.name, command.arguments, command.countColumn, console);
    }
    return convertTable(command, console);
  } catch (const std::bad_alloc&) {
    return Status{"out of memory"};
  }
}

}  // namespace

int runConvert(int argc, char** argv, std::ostream& console, std::ostream& errors) {
  Command command;
  if (Status status = readCommand(argc, argv, command); !status.ok()) return fail(errors, status);
  if (command.help) {
    writeConvertUsage(console);
    return 0;
  }
  if (command.version) {
    console << "veldmark-convert " << VELDMARK_VERSION << "\n";
    return 0;
  }
  if (Status status = checkArguments(command); !status.ok()) return fail(errors, status);
  const Status status = convert(command, console);
  return status.ok() ? 0 : fail(errors, status);
}

}  // namespace veldmark
