// The run's clock.
#pragma once

namespace veldmark {

/// Whole seconds of wall-clock time (a steady clock) since the program
/// started, truncated.
int clockSeconds();

}  // namespace veldmark
