#include "convert/convert_usage.h"

namespace veldmark {

void writeConvertUsage(std::ostream& console) {
  console << "Usage: veldmark-convert [OPTION...] COMMAND ARGUMENTS\n"
             "\n"
             "Converts planners' files to and from Veldmark's formats.\n"
             "\n"
             "  tntp NET.tntp [FLOW.tntp|COUNTS.csv] OUTDIR\n"
             "      a TNTP network to OUTDIR/base.txt (every link, every attribute) and\n"
             "      zones.txt (zones 1 to <NUMBER OF ZONES>); with its flow file also\n"
             "      abstract.txt (the same links) and flows.txt (the Volume column); with\n"
             "      a counts table (from_node_id, to_node_id, count) abstract.txt (the\n"
             "      counted links) and flows.txt (the counts)\n"
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
             "Options (anywhere before \"--\"):\n"
             "  --count-column NAME  the counts column of COUNTS.csv (default: count)\n"
             "  -h, --help           show this summary\n"
             "  --version            show the version\n"
             "\n"
             "Exit codes: 0 converted, 1 error (message on standard error, starting\n"
             "\"veldmark-convert: \").\n"
             "See the manual page: man veldmark-convert (or man ./docs/veldmark-convert.1).\n";
}

}  // namespace veldmark
