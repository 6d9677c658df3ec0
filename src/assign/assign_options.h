// The command line of veldmark-assign.
#pragma once

#include <string>

#include "veldmark/types.h"

namespace veldmark {

struct AssignOptions {
  std::string base, trips, volumes;  // the three file arguments
  std::string zones;                 // --zones A-B or FILE; empty: the trip table's zones
  bool throughZones = false;         // --through-zones
  double gap = 1e-4;                 // --gap
  int maxIterations = 1000;          // --max-iterations
  double tollFactor = 0.0;           // --toll-factor
  double distanceFactor = 0.0;       // --distance-factor
  int threads = 0;                   // --threads; 0: one per CPU the process may use
  std::string summary;               // --summary FILE; empty: none
  bool noProgress = false;           // --no-progress
  bool help = false;                 // --help
  bool version = false;              // --version
};

/// Reads argv[1 ..] through the shared command-line parser (cli/): options
/// anywhere before "--" ("--name VALUE" or "--name=VALUE"), the operands
/// BASE TRIPS VOLUMES. Fails with a one-line message (no program name) for
/// an unknown option, a missing or malformed value
/// (--gap a finite number > 0 and < 1, --max-iterations and --threads whole
/// numbers from 1, the factors finite and >= 0) or the wrong number of
/// files; --help and --version need no files. Prints nothing.
Status parseAssignOptions(int argc, char** argv, AssignOptions& options);

}  // namespace veldmark
