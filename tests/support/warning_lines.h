// Telling a run's warnings from its errors on standard error; header-only,
// so that the fuzz harnesses share it with the test programs.
#pragma once

#include <algorithm>
#include <string>

namespace veldmark::testing {

/// Standard error without its warning lines (those starting
/// "veldmark: warning: "): what a run printed as errors.
inline std::string withoutWarnings(const std::string& errors) {
  std::string kept;
  for (std::size_t at = 0; at < errors.size();) {
    const std::size_t end = std::min(errors.find('\n', at), errors.size() - 1) + 1;
    if (errors.compare(at, 19, "veldmark: warning: ") != 0) kept += errors.substr(at, end - at);
    at = end;
  }
  return kept;
}

}  // namespace veldmark::testing
