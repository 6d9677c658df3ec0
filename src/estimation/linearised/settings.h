// How a run estimates: chosen once, before the workspace is allocated, and
// read by every pass. Nothing here changes a bit of the result.
#pragma once

#include <functional>

#include "numeric/thread_team.h"

namespace veldmark {

#ifdef VELDMARK_REFERENCE_KERNELS
inline constexpr bool kReferenceKernelsByDefault = true;
#else
inline constexpr bool kReferenceKernelsByDefault = false;
#endif

struct EstimationSettings {
  // Run the straightforward kernels throughout instead of their faster twins
  // (the build option VELDMARK_REFERENCE_KERNELS makes this the default).
  bool referenceKernels = kReferenceKernelsByDefault;
  // Threads a pass may use; 1 starts none.
  int threads = 1;
  // The work, in matrix entries, a thread takes at a time: a step of a pass
  // with no more (an N x N or L x L step of a small network) runs on one
  // thread, and no thread is started when every step is that small. Tests
  // give 1 to share out even a tiny network's steps.
  int entriesPerChunk = kEntriesPerChunk;
  // Called as each pivot pass starts, with the outer iteration (from 1) and
  // the pass (from 1); may be empty. Must not print to the console.
  std::function<void(int iteration, int pass)> onPass;
};

}  // namespace veldmark
