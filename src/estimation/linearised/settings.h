// How a run estimates: chosen once, before the workspace is allocated, and
// read by every pass. Nothing here changes a bit of the result.
#pragma once

#include <functional>

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
  // A step of a pass with fewer rows (zones or links) than this runs on one
  // thread; no thread is started when both counts are below it. Tests lower
  // it to share out even a tiny network's steps.
  int fewestRowsToShare = 64;
  // Called as each pivot pass starts, with the outer iteration (from 1) and
  // the pass (from 1); may be empty. Must not print to the console.
  std::function<void(int iteration, int pass)> onPass;
};

}  // namespace veldmark
