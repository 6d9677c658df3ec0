#include "convert/convert_usage.h"

namespace veldmark {

void writeConvertUsage(std::ostream& console) {
  console << "Usage: veldmark-convert [OPTION...] COMMAND ARGUMENTS\n"
             "\n"
             "Converts planners' files to and from Veldmark's formats.\n"
             "\n"
             "  tntp NET.tntp FLOW.tntp OUTDIR\n"
             "      TNTP network and flow files to OUTDIR/base.txt, abstract.txt (the\n"
             "      same links: every node a zone) and flows.txt (the Volume column)\n"
             "  csv LINKS.csv COUNTS.csv OUTDIR\n"
             "      links (columns from_node_id, to_node_id) and counts (from_node_id,\n"
             "      to_node_id, count) to OUTDIR/base.txt (every link), abstract.txt\n"
             "      (the counted links) and flows.txt (the counts)\n"
             "  table TRIPS.txt OUT.csv|OUT.omx\n"
             "      a Veldmark trip table file to a long CSV table or an OpenMatrix file\n"
             "  tntp-trips TRIPS.tntp OUT.csv|OUT.omx\n"
             "      a TNTP trip table to a long CSV table or an OpenMatrix file\n"
             "\n"
             "OUTDIR must not exist or be empty; it appears complete or not at all.\n"
             "\n"
             "Options (before COMMAND or right after it):\n"
             "  --count-column NAME  the counts column of COUNTS.csv (default: count)\n"
             "  -h, --help           show this summary\n"
             "  --version            show the version\n"
             "\n"
             "Exit codes: 0 converted, 1 error (message on standard error, starting\n"
             "\"veldmark-convert: \").\n"
             "See the manual page: man veldmark-convert (or man ./docs/veldmark-convert.1).\n";
}

}  // namespace veldmark
