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

std::string decadeLabel(double value, bool plain) {
  char text[32];
  const int exponent = static_cast<int>(std::lround(std::log10(value)));
  if (plain) {
    std::snprintf(text, sizeof text, "%.*f", std::max(0, -exponent), value);
  } else {
    std::snprintf(text, sizeof text, "1e%d", exponent);
  }
  return text;
}

std::vector<std::string> axisLabels(const Axis& axis) {
  const std::vector<double> ticks = axisTicks(axis);
  std::vector<std::string> labels;
  if (axis.logarithmic) {
    const bool plain = axis.low >= 1e-3 * 0.999 && axis.high <= 1e4 * 1.001;
    for (double tick : ticks) labels.push_back(decadeLabel(tick, plain));
    return labels;
  }
  double largest = 0;
  for (double tick : ticks) largest = std::max(largest, std::fabs(tick));
  // --- One unit for the axis: M, k, none, or a shared power of ten ---
  double scale = 1;
  std::string suffix;
  if (largest >= 1e6) {
    scale = 1e6, suffix = "M";
  } else if (largest >= 1e4) {
    scale = 1e3, suffix = "k";
  } else if (largest > 0 && largest < 0.01) {
    const int exponent = static_cast<int>(std::floor(std::log10(largest)));
    scale = std::pow(10.0, exponent), suffix = "e" + std::to_string(exponent);
  }
  // --- Decimals that resolve the step in that unit ---
  const int decimals =
      std::max(0, static_cast<int>(std::ceil(-std::log10(tickStep(axis) / scale) - 1e-9)));
  for (double tick : ticks) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, tick / scale);
    labels.push_back(tick == 0 && !suffix.empty() ? "0" : text + suffix);
  }
  return labels;
}

std::string pixel(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

}  // namespace veldmark
