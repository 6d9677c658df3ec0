#include "driver/clock.h"

#include <chrono>

namespace veldmark {
namespace {

// Taken while the program starts, before main runs.
const std::chrono::steady_clock::time_point kProgramStart = std::chrono::steady_clock::now();

}  // namespace

int clockSeconds() {
  const auto elapsed = std::chrono::steady_clock::now() - kProgramStart;
  const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
  return static_cast<int>(milliseconds / 1000);
}

}  // namespace veldmark
