#include "driver/thread_count.h"

#include <sched.h>

#include <algorithm>
#include <string>

namespace veldmark {

int affinityCpuCount() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  return std::clamp(CPU_COUNT(&set), 1, kMaxThreads);
}

Status settleThreadCount(const char* environmentValue, Options& options) {
  if (options.threads > 0) return Status{};
  if (environmentValue == nullptr || *environmentValue == '\0') {
    options.threads = affinityCpuCount();
    return Status{};
  }
  if (!parseThreadCount(environmentValue, options.threads)) {
    return Status{"VELDMARK_THREADS needs a whole number from 1 to " + std::to_string(kMaxThreads) +
                  ", not '" + environmentValue + "'"};
  }
  return Status{};
}

}  // namespace veldmark
