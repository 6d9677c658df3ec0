#include "assign/assign_usage.h"

namespace veldmark {

void writeAssignUsage(std::ostream& console) {
  console << "Usage: veldmark-assign [OPTION...] BASE TRIPS VOLUMES\n"
             "\n"
             "Assigns the trip table TRIPS to the road network BASE (a link file whose\n"
             "attributes 1 to 5 are capacity, length, free-flow time, b and power, 7 the\n"
             "toll) by user equilibrium, and writes the volume and cost of every link to\n"
             "VOLUMES (CSV: from_node_id,to_node_id,volume,cost, BASE's link order).\n"
             "TRIPS: a Veldmark trip table, a long CSV table, an OpenMatrix file or a\n"
             "TNTP trip table.\n"
             "\n"
             "Options:\n"
             "  --zones A-B|FILE       the zones: node numbers A to B, or a file of one\n"
             "                         node number a line (default: TRIPS's zones)\n"
             "  --through-zones        routes may pass through zone nodes\n"
             "  --gap G                stop at relative gap G (default 1e-4)\n"
             "  --max-iterations N     stop after N iterations (default 1000)\n"
             "  --toll-factor F        cost of a unit of toll (default 0)\n"
             "  --distance-factor F    cost of a unit of length (default 0)\n"
             "  --threads N            threads for the shortest paths (default: one per CPU)\n"
             "  --summary FILE         the run in JSON: iterations, gap, stop, time, memory\n"
             "  --no-progress          no status line on a terminal\n"
             "  --help                 show this summary\n"
             "  --version              show the version\n"
             "\n"
             "Exit codes: 0 assigned (also when stopped at --max-iterations, with a\n"
             "warning), 1 error (message on standard error, starting \"veldmark-assign: \").\n"
             "See the manual page: man veldmark-assign (or man ./docs/veldmark-assign.1).\n";
}

}  // namespace veldmark
