// Fuzzes the estimation differentially: the faster pivot paths against the
// straightforward kernels they stand in for. The input is cut like the run
// harness's (tiny_network.h; the base network piece is not used); the
// abstract network and the flows are read with the product's readers, and
// the starting tables and the outer iterations run twice, once on each path.
// Property: the same console text and the same TripTable, bit for bit (any
// two NaNs count as equal).
#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "estimation/linearised/limits.h"
#include "estimation/linearised/outer_iteration.h"
#include "estimation/linearised/starting_tables.h"
#include "estimation/linearised/workspace.h"
#include "fuzz_support.h"
#include "input/abstract_network.h"
#include "input/link_flow_file.h"
#include "tiny_network.h"

namespace veldmark::fuzz {
namespace {

// Runs the estimation on a copy of `network`; returns the console text.
std::string estimate(AbstractNetwork network, bool reference, EstimationWorkspace& workspace) {
  FUZZ_CHECK(allocateWorkspace(network.zoneCount(), network.linkCount(), workspace).ok());
  workspace.settings.referenceKernels = reference;
  std::ostringstream console;
  buildStartingTables(workspace, network, console);
  runOuterIterations(workspace, network, console);
  return console.str();
}

bool sameBits(double a, double b) {
  return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace
}  // namespace veldmark::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace veldmark;
  using namespace veldmark::fuzz;
  const std::vector<std::string> files = tinyNetworkFiles(data, size);
  if (files.size() < 3) return -1;
  const std::string abstractPath = writeScratchFile("abstract.txt", files[1]);
  const std::string flowPath = writeScratchFile("flows.txt", files[2]);
  if (!smallEnoughToRun(abstractPath)) return -1;
  AbstractNetwork network;
  if (!readAbstractNetwork(abstractPath, network, kLinearisedNetworkLimits).ok()) return 0;
  if (!readLinkFlowFile(flowPath, network).ok()) return 0;

  EstimationWorkspace fast;
  EstimationWorkspace reference;
  const std::string fastConsole = estimate(network, false, fast);
  const std::string referenceConsole = estimate(network, true, reference);
  FUZZ_CHECK(fastConsole == referenceConsole);
  const int n = network.zoneCount();
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j)
      FUZZ_CHECK(sameBits(fast.TripTable[i][j], reference.TripTable[i][j]));
  }
  return 0;
}
