// The tiny networks the whole-run harnesses work on: one fuzz input cut into
// the three files at '|' bytes. Each piece holds only the lines after the
// header; the metadata and header lines are put in front of it here, so that
// mutations go into links and flows rather than into ignored text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace veldmark::fuzz {

inline constexpr char kFileSeparator = '|';
inline constexpr int kTinyMaxLinks = 12;  // abstract links of a run worth making
inline constexpr int kTinyMaxZones = 6;   // zones of a run worth making

/// The pieces of the input, each completed to a whole file (link file, link
/// file, flow file); fewer than three when the input has fewer separators.
std::vector<std::string> tinyNetworkFiles(const std::uint8_t* data, std::size_t size);

/// True when the abstract network file reads and is small enough for a run
/// of the estimation to be quick: at most kTinyMaxLinks links and
/// kTinyMaxZones zones. A file that does not read is small too (the run ends
/// at once).
bool smallEnoughToRun(const std::string& abstractPath);

}  // namespace veldmark::fuzz
