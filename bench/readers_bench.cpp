// The foreign readers at the sizes of a regional model (docs/PERFORMANCE.md):
//   veldmark_readers_bench [ZONES [LINKS]]
// writes, in a fresh temporary directory, a long CSV trip table with every
// pair of ZONES zones (default 1790: 3.2 M pairs, the Chicago regional
// table), the same table as an OpenMatrix file, and a TNTP network of LINKS
// links (default 100,000, every tenth with a parallel twin) with a counts
// table for every link; then times readReferenceTable on the CSV and the
// OpenMatrix file, and veldmark-convert on the network and its counts. One
// line per step: what, seconds (wall), and the table's or files' size.
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "formats/omx_file.h"
#include "formats/reference_table.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// CPU seconds of this process since `start` (std::clock), which a busy
// machine disturbs far less than the wall time.
double cpuSince(std::clock_t start) {
  return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

void writeTable(const std::string& path, int zones) {
  std::ofstream out(path);
  out << "o_zone_id,d_zone_id,volume\n";
  for (int i = 1; i <= zones; ++i) {
    for (int j = 1; j <= zones; ++j)
      out << i << ',' << j << ',' << (i * 7 + j * 3) % 101 * 0.25 << '\n';
  }
}

void writeNetwork(const std::string& net, const std::string& counts, int links) {
  std::ofstream n(net);
  std::ofstream c(counts);
  n << "<NUMBER OF ZONES> 100\n<FIRST THRU NODE> 101\n<NUMBER OF LINKS> " << links
    << "\n<END OF METADATA>\n~ a b capacity length fft b power speed toll type ;\n";
  c << "from_node_id,to_node_id,count\n";
  for (int k = 0; k < links; ++k) {
    const int from = k % 10 == 9 ? (k - 1) / 3 + 1 : k / 3 + 1;  // every tenth a twin
    const int to = from + 1 + k % 3;
    n << from << '\t' << to << "\t1800\t0.5\t1.2\t0.15\t4\t50\t0\t1\t;\n";
    c << from << ',' << to << ',' << 100 + k % 900 << '\n';
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int zones = argc > 1 ? std::atoi(argv[1]) : 1790;
  const int links = argc > 2 ? std::atoi(argv[2]) : 100000;
  char pattern[] = "/tmp/veldmark-readers-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const std::string dir = pattern;
  writeTable(dir + "/t.csv", zones);

  auto start = Clock::now();
  std::clock_t cpu = std::clock();
  veldmark::ZoneTable table;
  veldmark::Status status = veldmark::readReferenceTable(dir + "/t.csv", table);
  std::printf("read long CSV: %.2f s (CPU %.2f s), %d zones, %zu cells%s%s\n", secondsSince(start),
              cpuSince(cpu), table.zoneCount(), table.values.size(), status.ok() ? "" : ", ",
              status.message.c_str());
  status = veldmark::writeOmxTable(dir + "/t.omx", table);
  start = Clock::now();
  cpu = std::clock();
  status = veldmark::readReferenceTable(dir + "/t.omx", table);
  std::printf("read OpenMatrix: %.2f s (CPU %.2f s), %d zones%s%s\n", secondsSince(start),
              cpuSince(cpu), table.zoneCount(), status.ok() ? "" : ", ", status.message.c_str());

  writeNetwork(dir + "/net.tntp", dir + "/counts.csv", links);
  const std::string command = std::string(VELDMARK_CONVERT_BINARY) + " tntp " + dir + "/net.tntp " +
                              dir + "/counts.csv " + dir + "/out > /dev/null";
  start = Clock::now();
  const int code = std::system(command.c_str());
  std::printf("veldmark-convert tntp, %d links and counts: %.2f s, exit %d\n", links,
              secondsSince(start), WEXITSTATUS(code));
  std::filesystem::remove_all(dir);
  return 0;
}
