// Shared by the fuzz harnesses: a scratch directory per fuzzing process, input
// files written into it, and the check that turns a broken property into a
// crash that libFuzzer records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace veldmark::fuzz {

/// A fresh directory under TMPDIR (or /tmp) made on first use and removed,
/// with its contents, when the process exits normally.
const std::string& scratchDirectory();

/// Writes `content` to `name` in the scratch directory; returns its path.
std::string writeScratchFile(const std::string& name, std::string_view content);

/// Prints "property failed: <what> (<file>:<line>)" to stderr and aborts.
[[noreturn]] void propertyFailed(const char* what, const char* file, int line);

/// Splits `data` at every `separator` byte into at most `maxParts` pieces; the
/// last piece keeps any further separators.
std::vector<std::string_view> splitInput(const std::uint8_t* data, std::size_t size, char separator,
                                         std::size_t maxParts);

/// The lines of a file as the input formats define them: cut at each
/// newline, one CR directly before it dropped; a last piece without a newline
/// is a line when it is not empty (a CR at its end dropped too).
std::vector<std::string> fileLines(std::string_view bytes);

}  // namespace veldmark::fuzz

#define FUZZ_CHECK(condition)         \
  ((condition) ? static_cast<void>(0) \
               : ::veldmark::fuzz::propertyFailed(#condition, __FILE__, __LINE__))
