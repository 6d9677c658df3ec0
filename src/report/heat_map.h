// The estimated table as a heat map: one square per pair of zones, origins
// down and destinations across, darker for more trips.
#pragma once

#include <string>

#include "veldmark/zone_table.h"

namespace veldmark {

inline constexpr int kMaxHeatMapZones = 150;  // larger tables get no heat map

/// Side in pixels of one cell of the heat map of an N-zone table:
/// max(3, 600 / N) (integer division). REQUIRES N >= 1.
int heatMapCell(int zoneCount);

/// The <svg data-chart="heatmap"> of `table`: the cell of origin i and
/// destination j at x = 48 + j * cell, y = 48 + i * cell, one
/// rect class="mark cell" per pair with a positive value (none for the
/// others), shaded by log(1 + v) / log(1 + largest); zone numbers along both
/// edges (every k-th so that labels are at least 12 pixels apart), a
/// tooltip per cell, and below the map a colour legend: one rect
/// class="key" per power of ten below the largest cell and one for the
/// largest, each in its shade with its value (none when no cell is
/// positive). REQUIRES 1 <= N <= kMaxHeatMapZones. Prints nothing.
std::string heatMapSvg(const ZoneTable& table);

}  // namespace veldmark
