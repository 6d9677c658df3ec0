// Fuzzes the trip table reader behind --reference and the converter's tables
// in its text layouts. The first byte picks the file's name (and so the
// layout where the content leaves it open: ".tntp", ".csv" or neither); the
// rest is the file. Inputs that start with the HDF5 signature are left to
// HDF5's own testing. Properties: the reader fails only with a one-line
// "path..." message; on success the table is square over distinct zones and
// every cell is finite and not negative.
#include <cmath>
#include <cstring>
#include <string>
#include <unordered_set>

#include "formats/reference_table.h"
#include "fuzz_support.h"

namespace veldmark::fuzz {
namespace {

constexpr const char* kNames[] = {"table.txt", "table.tntp", "table.csv"};

}  // namespace
}  // namespace veldmark::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace veldmark;
  using namespace veldmark::fuzz;
  if (size == 0) return 0;
  const std::string_view content(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (content.size() >= 4 && std::memcmp(content.data(), "\x89HDF", 4) == 0) return 0;
  const std::string path = writeScratchFile(kNames[data[0] % 3], content);
  ZoneTable table;
  const Status status = readReferenceTable(path, table);
  if (!status.ok()) {
    FUZZ_CHECK(status.message.rfind(path, 0) == 0);
    FUZZ_CHECK(status.message.find('\n') == std::string::npos);
    return 0;
  }
  const std::size_t n = table.zones.size();
  FUZZ_CHECK(table.values.size() == n * n);
  FUZZ_CHECK(std::unordered_set<NodeId>(table.zones.begin(), table.zones.end()).size() == n);
  for (const double value : table.values) FUZZ_CHECK(std::isfinite(value) && value >= 0.0);
  return 0;
}
