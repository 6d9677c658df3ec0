// The network sub-commands: read, format, write the directory, one line.
#include "convert/network_command.h"

#include "formats/csv_network.h"
#include "formats/network_files.h"
#include "formats/output_directory.h"
#include "formats/text_file.h"
#include "formats/tntp_network.h"
#include "output/outputs_apart.h"
#include "veldmark/file_name.h"

namespace veldmark {
namespace {

bool hasCsvName(const std::string& path) {
  return path.size() >= 4 && (path.compare(path.size() - 4, 4, ".csv") == 0 ||
                              path.compare(path.size() - 4, 4, ".CSV") == 0);
}

// True when the counts at `path` are a CSV table: by name, or by a comma in
// its first line (a TNTP flow file separates its fields by tabs or blanks).
bool isCountsCsv(const std::string& path) {
  if (hasCsvName(path)) return true;
  std::string content;
  if (!readWholeFile(path, content).ok()) return false;  // the reader names the failure
  const std::size_t end = content.find('\n');
  return content.substr(0, end).find(',') != std::string::npos;
}

Status readNetwork(const std::string& command, const std::vector<std::string>& files,
                   const std::string& countColumn, ForeignNetwork& network) {
  if (command == "csv") return readCsvNetwork(files[0], files[1], countColumn, network);
  if (files.size() == 2) return readTntpLinks(files[0], network);
  if (!isCountsCsv(files[1])) return readTntpNetwork(files[0], files[1], network);
  if (Status status = readTntpLinks(files[0], network); !status.ok()) return status;
  network.secondNote = "second value: none in the source (0)";
  return readCsvCounts(files[1], countColumn, network);
}

std::string baseName(const std::string& path) {
  return path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
}

// zones.txt: the zones 1 .. <NUMBER OF ZONES>, after a "#" comment.
std::string zonesText(const ForeignNetwork& network) {
  std::string text = "# zones 1 to " + std::to_string(network.zoneCount) + " of " +
                     displayName(baseName(network.linkSource)) + " (<NUMBER OF ZONES>)\n";
  for (long zone = 1; zone <= network.zoneCount; ++zone) text += std::to_string(zone) + "\n";
  return text;
}

// What the summary says of the zones: how many, and whether routes may pass
// through them (the first thru node is 1 or not given) or not.
std::string zonesSummary(const ForeignNetwork& network) {
  const long first = network.firstThroughNode;
  std::string text = ", zones.txt " + std::to_string(network.zoneCount) + " zones (";
  if (first > 1) {
    return text + "first thru node " + std::to_string(first) +
           ": routes do not pass through zones)";
  }
  text += first < 0 ? "no first thru node" : "first thru node " + std::to_string(first);
  return text + ": routes may pass through zones, --through-zones applies)";
}

}  // namespace

Status convertNetwork(const std::string& command, const std::vector<std::string>& files,
                      const std::string& countColumn, std::ostream& console) {
  const std::string& directory = files.back();
  std::vector<NamedPath> inputs;
  for (std::size_t k = 0; k + 1 < files.size(); ++k) {
    inputs.push_back({k == 0 ? (command == "csv" ? "LINKS" : "NET") : "COUNTS", files[k]});
  }
  if (Status status = checkOutputsApart(inputs, {{"OUTDIR", directory}}); !status.ok()) {
    return status;
  }
  ForeignNetwork network;
  if (Status status = readNetwork(command, files, countColumn, network); !status.ok()) {
    return status;
  }
  const bool withCounts = files.size() == 3;
  NetworkFiles texts;
  if (Status status = formatNetworkFiles(network, texts, withCounts); !status.ok()) return status;
  std::vector<NamedText> written = {{"base.txt", std::move(texts.base)}};
  if (withCounts) {
    written.push_back({"abstract.txt", std::move(texts.abstract)});
    written.push_back({"flows.txt", std::move(texts.flows)});
  }
  const bool withZones = network.zoneCount >= 0;
  if (withZones) written.push_back({"zones.txt", zonesText(network)});
  if (Status status = writeDirectory(directory, written); !status.ok()) return status;
  std::size_t observed = 0;
  for (const ForeignLink& link : network.links) observed += link.observed ? 1 : 0;
  console << directory << ": base.txt " << network.links.size() << " links";
  if (withCounts) console << ", abstract.txt " << observed << " links, flows.txt";
  if (withZones) console << zonesSummary(network);
  console << "\n";
  return Status{};
}

}  // namespace veldmark
