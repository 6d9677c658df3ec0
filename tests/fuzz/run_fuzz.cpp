// Fuzzes a whole run of the program, in process, on tiny networks: the input
// is cut into the base network, abstract network and link flow files
// (tiny_network.h), written to a scratch directory, and runProgram gets
// them, with fewer arguments when the input has fewer pieces, and a trip
// table file in the scratch directory. Properties: the exit code is 0 or 1;
// a failure is a missing-argument message or one "veldmark: " line on the
// error stream; a complete run writes the trip table file, ends with the
// elapsed time line, and shows at most 25 iterations of at most 500 dots.
#include <sstream>
#include <string>
#include <vector>

#include "driver/run.h"
#include "fuzz_support.h"
#include "support/warning_lines.h"
#include "tiny_network.h"

namespace veldmark::fuzz {
namespace {

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::size_t countOf(const std::string& text, const std::string& piece) {
  std::size_t count = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
    ++count;
  }
  return count;
}

// Every line of dots holds at most 500 of them.
bool dotsWithinCap(const std::string& console) {
  const std::string lead = "Pivot move over the linear space ";
  for (std::size_t at = console.find(lead); at != std::string::npos;
       at = console.find(lead, at + 1)) {
    std::size_t dots = 0;
    for (std::size_t c = at + lead.size(); c < console.size() && console[c] == '.'; ++c) ++dots;
    if (dots < 1 || dots > 500) return false;
  }
  return true;
}

}  // namespace
}  // namespace veldmark::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace veldmark;
  using namespace veldmark::fuzz;
  static const char* const kNames[] = {"base.txt", "abstract.txt", "flows.txt"};
  const std::vector<std::string> files = tinyNetworkFiles(data, size);
  std::vector<std::string> args = {"veldmark"};
  for (std::size_t i = 0; i < files.size(); ++i) {
    args.push_back(writeScratchFile(kNames[i], files[i]));
  }
  if (files.size() >= 2 && !smallEnoughToRun(args[2])) return -1;
  const std::string tripTable = scratchDirectory() + "/trips.txt";
  std::remove(tripTable.c_str());
  if (files.size() == 3) args.push_back(tripTable);

  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::ostringstream console;
  std::ostringstream errors;
  const int code = runProgram(static_cast<int>(args.size()), argv.data(), console, errors);
  const std::string out = console.str();
  // Warnings may stand beside a complete run's output or before an error.
  const std::string err = veldmark::testing::withoutWarnings(errors.str());

  FUZZ_CHECK(code == 0 || code == 1);
  if (files.size() < 3 && endsWith(out, "argument(s) missing...")) {
    // Without any file the usage line follows on standard error; else nothing.
    const bool usage = err.rfind("veldmark: usage: ", 0) == 0 && countOf(err, "\n") == 1;
    FUZZ_CHECK(code == 1 && (files.empty() ? usage : err.empty()));
    return 0;
  }
  if (code == 1) {
    FUZZ_CHECK(err.compare(0, 10, "veldmark: ") == 0 && countOf(err, "\n") == 1 &&
               endsWith(err, "\n"));
    return 0;
  }
  FUZZ_CHECK(files.size() == 3 && err.empty());
  FUZZ_CHECK(endsWith(out, " sec\n"));
  FUZZ_CHECK(countOf(out, "   Iteration: ") >= 1 && countOf(out, "   Iteration: ") <= 25);
  FUZZ_CHECK(dotsWithinCap(out));
  std::FILE* table = std::fopen(tripTable.c_str(), "rb");
  FUZZ_CHECK(table != nullptr);
  char head[19] = {};
  FUZZ_CHECK(std::fread(head, 1, 18, table) == 18 && std::string(head) == "<NUMBER OF ZONES> ");
  std::fclose(table);
  return 0;
}
