#include "driver/usage.h"

#include <cstring>

namespace veldmark {
namespace {

constexpr const char* kUsage =
    "Usage: veldmark [OPTION...] BASE ABSTRACT FLOWS [TRIPS]\n"
    "\n"
    "Estimates an origin-destination trip table from observed link flows: by default\n"
    "one that reproduces them (linearised); --method entropy or gradient adjusts a\n"
    "prior table to the counts on equilibrium routes of the road network BASE.\n"
    "\n"
    "  BASE      base network link file (the road network for entropy and gradient)\n"
    "  ABSTRACT  abstract network link file (the counted links for entropy, gradient)\n"
    "  FLOWS     link flow file: observed flow of each abstract link\n"
    "  TRIPS     trip table file to write (default: default_od_abs.txt)\n"
    "\n"
    "Options (anywhere; --name VALUE or --name=VALUE; -- ends them):\n"
    "  --fit FILE        write the flow the estimate puts on every abstract link (CSV)\n"
    "  --summary FILE    write a summary of the run (JSON)\n"
    "  --csv FILE        write the table in long form (CSV)\n"
    "  --omx FILE        write the table as an OpenMatrix (OMX) file\n"
    "  --report FILE     write an HTML report of the run\n"
    "  --reference FILE  compare the table with this one in the summary and report\n"
    "  --threads N       threads (default: VELDMARK_THREADS, else all usable CPUs)\n"
    "  --no-progress     no status line on a terminal's standard error\n"
    "  -h, --help        show this summary;  --version  show the version\n"
    "  --method NAME     linearised (the default), entropy or gradient\n"
    "Options of entropy and gradient:\n"
    "  --prior FILE      the prior table (any layout --reference reads)\n"
    "  --zones A-B|FILE  the zones (node numbers of BASE; default: the prior's)\n"
    "  --through-zones   routes may pass through zones\n"
    "  --outer N         assign the routes N times, balancing after each (entropy 2)\n"
    "  --gap G           relative gap the assignments stop at (default 1e-05; a\n"
    "                    large network: 4 iterations, see the manual page)\n"
    "  --volumes FILE    write the modelled volume of every BASE link (CSV)\n"
    "  --count-weight K  entropy: weight of the counts (default 2; auto; inf)\n"
    "  --trip-end-weight R  entropy: price of scaling a zone's trip ends (default\n"
    "                    1; inf: cells alone)\n"
    "  --max-iterations N  gradient: steps per balancing (default 50)\n"
    "\n"
    "Exit codes: 0 complete run, 1 missing argument or error (message on\n"
    "standard error, starting \"veldmark: \").\n"
    "Limits (linearised): 5000 links and 1000 distinct nodes per network file.\n"
    "See the manual page: man veldmark (or man ./docs/veldmark.1).\n";

}  // namespace

bool isUsageRequest(const char* argument) {
  return std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0 ||
         std::strcmp(argument, "--version") == 0;
}

void writeUsageLine(std::ostream& errors) {
  errors << "veldmark: usage: veldmark [OPTION\xe2\x80\xa6] BASE ABSTRACT FLOWS [TRIPS] (veldmark "
            "--help for more)\n";
}

int writeUsage(const char* argument, std::ostream& console) {
  if (std::strcmp(argument, "--version") == 0) {
    console << "veldmark " << VELDMARK_VERSION << "\n";
  } else {
    console << kUsage;
  }
  return 0;
}

}  // namespace veldmark
