#include "driver/table_checks.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace veldmark {

Status checkTableIsFinite(const DenseMatrix& tripTable, const AbstractNetwork& abstract) {
  // The entries and their total as the file's header adds them: row after
  // row, each absolute value added to the running sum.
  const std::size_t count = static_cast<std::size_t>(tripTable.order) * tripTable.order;
  const double* entries = tripTable.entries.get();
  double total = 0.0;
  for (std::size_t k = 0; k < count; ++k) total = std::fabs(entries[k]) + total;
  if (std::isfinite(total)) return Status{};  // a NaN or infinite entry makes it so
  double largest = 0.0;
  for (const AbstractLinkRecord& record : abstract.records) {
    largest = std::max(largest, record.observedFlow);
  }
  std::ostringstream flow;
  flow << largest;
  return Status{
      "the estimate overflowed: the trip table holds numbers that are not finite "
      "(observed flows up to " +
      flow.str() + " are too large); no trip table was written"};
}

bool isDescriptorFile(const std::string& path, int fd) {
  struct stat named {};
  struct stat open {};
  if (::stat(path.c_str(), &named) != 0 || ::fstat(fd, &open) != 0) return false;
  return S_ISREG(open.st_mode) && named.st_dev == open.st_dev && named.st_ino == open.st_ino;
}

}  // namespace veldmark
