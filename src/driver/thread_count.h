// How many threads a run's pivot passes use.
#pragma once

#include "driver/options.h"
#include "veldmark/types.h"

namespace veldmark {

/// Settles options.threads when --threads was not given: the value of the
/// environment variable `environmentValue` (VELDMARK_THREADS; null or empty
/// when unset), else the number of CPUs in the process's affinity mask
/// (sched_getaffinity; 1 if it cannot be read), at most kMaxThreads. Fails,
/// leaving options.threads at 0, with "VELDMARK_THREADS needs a whole number
/// from 1 to 1024, not 'VALUE'". Prints nothing.
Status settleThreadCount(const char* environmentValue, Options& options);

/// The number of CPUs this process may run on (at least 1).
int affinityCpuCount();

}  // namespace veldmark
