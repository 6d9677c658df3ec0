#include "driver/usage.h"

#include <cstring>

namespace veldmark {
namespace {

constexpr const char* kUsage =
    "Usage: veldmark [OPTION...] BASE ABSTRACT FLOWS [TRIPS]\n"
    "\n"
    "Estimates the origin-destination trip table between the zones of ABSTRACT\n"
    "(the nodes of the abstract network) that reproduces the observed link flows.\n"
    "\n"
    "  BASE      base network link file (its nodes order the output blocks)\n"
    "  ABSTRACT  abstract network link file (its nodes are the zones)\n"
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
    "  --threads N       threads for the estimation (default: VELDMARK_THREADS, else\n"
    "                    all the CPUs the process may use)\n"
    "  --no-progress     no status line on a terminal's standard error\n"
    "  -h, --help        show this summary\n"
    "  --version         show the version\n"
    "\n"
    "Exit codes: 0 complete run, 1 missing argument or error (message on\n"
    "standard error, starting \"veldmark: \").\n"
    "Limits: 5000 links and 1000 distinct nodes per network file.\n"
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
