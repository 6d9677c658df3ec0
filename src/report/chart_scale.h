// Where a value lands on a chart: linear and logarithmic axes, their ticks
// and the short numbers written beside them.
#pragma once

#include <string>
#include <vector>

namespace veldmark {

// One axis: the values from `low` to `high` drawn from pixel `from` to pixel
// `to` (to < from for a vertical axis, whose pixels grow downwards).
struct Axis {
  double low = 0;
  double high = 1;
  double from = 0;
  double to = 1;
  bool logarithmic = false;  // REQUIRES low > 0 when set
};

/// The pixel of `value` on `axis`: from + (value - low) / (high - low) *
/// (to - from), with log10 of each value on a logarithmic axis. A value
/// outside [low, high] lands outside the span; low == high puts every value
/// at `from`. Prints nothing.
double place(const Axis& axis, double value);

/// A linear axis from 0 (or from the lower of the two values when it is
/// negative) to at least `largest`, its ends rounded out to whole steps of
/// 1, 2 or 5 times a power of ten, about five steps in all. Prints nothing.
Axis linearAxis(double smallest, double largest, double from, double to);

/// A linear axis over [smallest, largest] itself (not from 0), its ends
/// rounded out to whole steps; a single value gets a span of one step
/// around it. Prints nothing.
Axis spanAxis(double smallest, double largest, double from, double to);

/// A logarithmic axis over whole decades holding [smallest, largest];
/// REQUIRES 0 < smallest <= largest. Prints nothing.
Axis logAxis(double smallest, double largest, double from, double to);

/// The tick values of `axis`: its whole steps (linear) or decades (log),
/// both ends included. Prints nothing.
std::vector<double> axisTicks(const Axis& axis);

/// The labels of axisTicks(axis), all in one number style so that a reader
/// compares like with like. Linear: one unit for the whole axis from its
/// largest tick ("k" from 1e4, "M" from 1e6; below 0.01 a shared power of
/// ten, "2.5e-3") and enough decimals that neighbouring ticks differ
/// ("10.65M", "10.70M"; "0", "5k", "10k"; "0.0", "0.5", "1.0"). Logarithmic: plain decimals
/// while every decade lies in [0.001, 1e4] ("0.001", "0.01", ..., "1000"),
/// else every decade as a power of ten ("1e-5", ..., "1e2"). Prints nothing.
std::vector<std::string> axisLabels(const Axis& axis);

/// `value` as a logarithmic axis labels a decade when the axis' decades all
/// lie in [0.001, 1e4] ("0.01", "10"), else as a power of ten ("1e-5").
/// `plain` chooses the first style. Prints nothing.
std::string decadeLabel(double value, bool plain);

/// The distance between neighbouring ticks of a linear axis. Prints nothing.
double tickStep(const Axis& axis);

/// `value` with one digit after the point ("%.1f"), for SVG coordinates.
std::string pixel(double value);

}  // namespace veldmark
