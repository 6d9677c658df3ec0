// Writes a generated network (base.txt, abstract.txt, flows.txt) into a
// directory, for benchmarks and for trying the estimator by hand.
//
//   veldmark_generate DIR ZONES SEED [--links-per-zone X] [--parallel K]
//       [--self K] [--zero SHARE] [--missing SHARE] [--outside K] [--extra K]
//       [--crlf]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "tools/network_generator.h"

namespace {

bool writeFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  return static_cast<bool>(out);
}

// Applies one "--name value" option; false when it is not known.
bool applyOption(const char* name, const char* value,
                 veldmark::testing::GeneratorOptions& options) {
  if (!std::strcmp(name, "--links-per-zone"))
    options.linksPerZone = std::atof(value);
  else if (!std::strcmp(name, "--parallel"))
    options.parallelLinks = std::atoi(value);
  else if (!std::strcmp(name, "--self"))
    options.selfLinks = std::atoi(value);
  else if (!std::strcmp(name, "--zero"))
    options.zeroFlowShare = std::atof(value);
  else if (!std::strcmp(name, "--missing"))
    options.missingFlowShare = std::atof(value);
  else if (!std::strcmp(name, "--outside"))
    options.zonesOutsideBase = std::atoi(value);
  else if (!std::strcmp(name, "--extra"))
    options.extraBaseNodes = std::atoi(value);
  else
    return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: veldmark_generate DIR ZONES SEED [options]\n");
    return 2;
  }
  veldmark::testing::GeneratorOptions options;
  options.zones = std::atoi(argv[2]);
  options.seed = static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10));
  for (int a = 4; a < argc; ++a) {
    if (!std::strcmp(argv[a], "--crlf")) {
      options.crlf = true;
    } else if (a + 1 >= argc || !applyOption(argv[a], argv[a + 1], options)) {
      std::fprintf(stderr, "veldmark_generate: unknown option %s\n", argv[a]);
      return 2;
    } else {
      ++a;
    }
  }
  const auto network = veldmark::testing::generateNetwork(options);
  const std::string dir = argv[1];
  const bool ok = writeFile(dir + "/base.txt", network.base) &&
                  writeFile(dir + "/abstract.txt", network.abstract) &&
                  writeFile(dir + "/flows.txt", network.flows);
  if (!ok) std::fprintf(stderr, "veldmark_generate: cannot write into %s\n", dir.c_str());
  return ok ? 0 : 1;
}
