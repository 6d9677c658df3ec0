#include "report/chart_scale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace veldmark {
namespace {

// The step of 1, 2 or 5 times a power of ten nearest above span / 5.
double niceStep(double span) {
  if (!(span > 0)) return 1;
  const double rough = span / 5;
  const double decade = std::pow(10.0, std::floor(std::log10(rough)));
  for (double factor : {1.0, 2.0, 5.0}) {
    if (factor * decade >= rough) return factor * decade;
  }
  return 10 * decade;
}

}  // namespace

double place(const Axis& axis, double value) {
  double low = axis.low, high = axis.high;
  if (axis.logarithmic) {
    low = std::log10(low);
    high = std::log10(high);
    value = std::log10(value);
  }
  if (high == low) return axis.from;
  return axis.from + (value - low) / (high - low) * (axis.to - axis.from);
}

Axis linearAxis(double smallest, double largest, double from, double to) {
  const double low = smallest < 0 ? smallest : 0;
  const double high = largest > low ? largest : low + 1;
  const double step = niceStep(high - low);
  return Axis{std::floor(low / step) * step, std::ceil(high / step) * step, from, to, false};
}

Axis spanAxis(double smallest, double largest, double from, double to) {
  double step = niceStep(largest - smallest);
  if (!(largest > smallest)) step = niceStep(std::fabs(smallest) > 0 ? std::fabs(smallest) : 5);
  double low = std::floor(smallest / step) * step, high = std::ceil(largest / step) * step;
  if (high <= low) high = low + step;
  return Axis{low, high, from, to, false};
}

Axis logAxis(double smallest, double largest, double from, double to) {
  double low = std::pow(10.0, std::floor(std::log10(smallest)));
  double high = std::pow(10.0, std::ceil(std::log10(largest)));
  if (high <= low) high = low * 10;
  return Axis{low, high, from, to, true};
}

std::vector<double> axisTicks(const Axis& axis) {
  std::vector<double> ticks;
  if (axis.logarithmic) {
    for (double tick = axis.low; tick <= axis.high * 1.0000001; tick *= 10) ticks.push_back(tick);
    return ticks;
  }
  const double step = tickStep(axis);
  const long count = std::lround((axis.high - axis.low) / step);
  for (long k = 0; k <= count; ++k) ticks.push_back(axis.low + static_cast<double>(k) * step);
  return ticks;
}

double tickStep(const Axis& axis) {
  return niceStep(axis.high - axis.low);
}

std::string tickLabel(double value, double step) {
  char text[32];
  const double size = std::fabs(value);
  if (size != 0 && size < 0.01) {
    std::snprintf(text, sizeof text, "%.0e", value);
    return text;
  }
  const double scale = size >= 1e6 ? 1e6 : size >= 1e4 ? 1e3 : 1;
  const char* suffix = size >= 1e6 ? "M" : size >= 1e4 ? "k" : "";
  if (step > 0) {
    // decimals that resolve the step in the label's unit
    const int decimals = std::max(0, static_cast<int>(std::ceil(-std::log10(step / scale))));
    std::snprintf(text, sizeof text, "%.*f%s", decimals, value / scale, suffix);
  } else {
    std::snprintf(text, sizeof text, "%.3g%s", value / scale, suffix);
  }
  return text;
}

std::string pixel(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

}  // namespace veldmark
