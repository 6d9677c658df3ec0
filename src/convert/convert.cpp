// veldmark-convert: options, sub-command, the conversion, one summary line.
#include "convert/convert.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "convert/convert_usage.h"
#include "formats/csv_network.h"
#include "formats/csv_table_writer.h"
#include "formats/network_files.h"
#include "formats/omx_file.h"
#include "formats/output_directory.h"
#include "formats/reference_table.h"
#include "formats/tntp_network.h"

namespace veldmark {
namespace {

// The parsed command line.
struct Command {
  std::string name;                    // the sub-command
  std::vector<std::string> arguments;  // its file arguments
  std::string countColumn = "count";   // --count-column
  bool help = false;                   // --help or -h
  bool version = false;                // --version
};

// Reads the options at argv[next...]; stops at the first non-option.
Status readOptions(int argc, char** argv, int& next, Command& command) {
  for (; next < argc && argv[next][0] == '-'; ++next) {
    const std::string option = argv[next];
    if (option == "--") {
      ++next;
      break;
    }
    if (option == "--help" || option == "-h") {
      command.help = true;
    } else if (option == "--version") {
      command.version = true;
    } else if (option.rfind("--count-column=", 0) == 0) {
      command.countColumn = option.substr(std::strlen("--count-column="));
    } else if (option == "--count-column" && next + 1 < argc) {
      command.countColumn = argv[++next];
    } else if (option == "--count-column") {
      return Status{"--count-column needs a NAME"};
    } else {
      return Status{"unknown option " + option + " (see --help)"};
    }
  }
  return Status{};
}

Status readCommand(int argc, char** argv, Command& command) {
  int next = 1;
  if (Status status = readOptions(argc, argv, next, command); !status.ok()) return status;
  if (next < argc) command.name = argv[next++];
  if (Status status = readOptions(argc, argv, next, command); !status.ok()) return status;
  for (; next < argc; ++next) command.arguments.push_back(argv[next]);
  return Status{};
}

// Checks the number of file arguments of the sub-command.
Status checkArguments(const Command& command) {
  const bool network = command.name == "tntp" || command.name == "csv";
  const bool table = command.name == "table" || command.name == "tntp-trips";
  if (command.name.empty()) return Status{"a COMMAND is needed (see --help)"};
  if (!network && !table) return Status{"unknown command " + command.name + " (see --help)"};
  const std::size_t wanted = network ? 3 : 2;
  if (command.arguments.size() == wanted) return Status{};
  const char* files = command.name == "tntp"  ? "NET.tntp FLOW.tntp OUTDIR"
                      : command.name == "csv" ? "LINKS.csv COUNTS.csv OUTDIR"
                                              : "TRIPS OUT.csv|OUT.omx";
  return Status{command.name + " takes " + files};
}

Status convertNetwork(const Command& command, std::ostream& console) {
  ForeignNetwork network;
  const std::vector<std::string>& files = command.arguments;
  Status status = command.name == "tntp"
                      ? readTntpNetwork(files[0], files[1], network)
                      : readCsvNetwork(files[0], files[1], command.countColumn, network);
  NetworkFiles texts;
  if (status.ok()) status = formatNetworkFiles(network, texts);
  if (status.ok()) {
    status = writeDirectory(
        files[2],
        {{"base.txt", texts.base}, {"abstract.txt", texts.abstract}, {"flows.txt", texts.flows}});
  }
  if (!status.ok()) return status;
  int observed = 0;
  for (const ForeignLink& link : network.links) observed += link.observed ? 1 : 0;
  console << files[2] << ": base.txt " << network.links.size() << " links, abstract.txt "
          << observed << " links, flows.txt\n";
  return Status{};
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
  const std::string& output = command.arguments[1];
  const bool csv = hasExtension(output, ".csv");
  if (!csv && !hasExtension(output, ".omx")) {
    return Status{output + ": the output name must end in .csv or .omx"};
  }
  const TableLayout layout = command.name == "table" ? TableLayout::kVeldmark : TableLayout::kTntp;
  ReferenceTable table;
  Status status = readTableInLayout(command.arguments[0], layout, table);
  if (!status.ok()) return status;
  const ZoneTable dense = denseTable(table);
  status = csv ? writeCsvTable(output, dense) : writeOmxTable(output, dense);
  if (status.ok()) console << output << ": " << dense.zoneCount() << " zones\n";
  return status;
}

int fail(std::ostream& errors, const Status& status) {
  errors << "veldmark-convert: " << status.message << "\n";
  errors.flush();
  return 1;
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
  const bool network = command.name == "tntp" || command.name == "csv";
  const Status status = network ? convertNetwork(command, console) : convertTable(command, console);
  return status.ok() ? 0 : fail(errors, status);
}

}  // namespace veldmark
