// The command line's options: `veldmark [OPTION...] BASE ABSTRACT FLOWS
// [TRIPS]`. An argument that starts with "--" and names an option is that
// option, wherever it stands before "--" (cli/command_line.h); a value
// follows as the next argument or after "=" (`--fit FILE`, `--fit=FILE`).
// Every other argument is an operand, so every command line without options
// means what it always meant.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "estimation/estimate.h"
#include "veldmark/types.h"

namespace veldmark {

struct Options {
  std::optional<std::string> fitPath;        // --fit FILE: fitted flow of every abstract link (CSV)
  std::optional<std::string> summaryPath;    // --summary FILE: the run summary (JSON)
  std::optional<std::string> csvPath;        // --csv FILE: the table in long form (CSV)
  std::optional<std::string> omxPath;        // --omx FILE: the table as an OpenMatrix file
  std::optional<std::string> reportPath;     // --report FILE: the HTML report
  std::optional<std::string> referencePath;  // --reference FILE: a table to compare with
  int threads = 0;                           // --threads N; 0: not given
  EstimationMethod method = EstimationMethod::kLinearised;  // --method NAME
  // The options of the methods that balance a prior (entropy, gradient):
  std::optional<std::string> priorPath;    // --prior FILE: the prior table
  std::optional<std::string> zones;        // --zones A-B or FILE: the zones (node numbers)
  bool throughZones = false;               // --through-zones: routes may pass through zones
  std::optional<double> countWeight;       // --count-weight K; NaN: auto; +inf: inf
  std::optional<double> tripEndWeight;     // --trip-end-weight R; +inf: inf
  int outer = 0;                           // --outer N: levels of routes; 0: not given
  int maxIterations = 0;                   // --max-iterations N (gradient); 0: not given
  std::optional<double> gap;               // --gap G: the assignments' relative gap
  std::optional<std::string> volumesPath;  // --volumes FILE: modelled volume of every BASE link
  bool noProgress = false;                 // --no-progress
  bool help = false;                       // --help
  bool version = false;                    // --version
  std::vector<char*> operands;             // BASE ABSTRACT FLOWS [TRIPS] and anything after
};

/// The operands a run uses: BASE ABSTRACT FLOWS TRIPS; later ones are ignored.
inline constexpr int kUsedOperands = 4;

/// The most threads a run may be given.
inline constexpr int kMaxThreads = 1024;

/// Reads a thread count: a whole number from 1 to kMaxThreads and nothing
/// else. Returns false, leaving `threads` as it was, otherwise.
bool parseThreadCount(std::string_view text, int& threads);

/// Parses argv[1..argc) into `options` (parseCommandLine). Fails with
/// "unknown option '--x' (see veldmark --help)", "option '--x' needs a value
/// (...)", "option '--x' takes no value (...)", a message on a bad value, or
/// "option '--x' needs --method entropy or gradient" (or "--method
/// gradient") for an option of a method that does not run. Prints nothing.
Status parseOptions(int argc, char** argv, Options& options);

/// The warning for operands after the fourth, which the run ignores
/// ("arguments after TRIPS ignored: 'a' 'b'"), or "" when there are none.
std::string ignoredOperandsWarning(const Options& options);

}  // namespace veldmark
