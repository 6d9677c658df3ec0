#include "driver/options.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "cli/command_line.h"
#include "veldmark/file_name.h"

namespace veldmark {
namespace {

Status setThreads(Options& options, std::string_view value) {
  int threads = 0;
  if (!parseThreadCount(value, threads)) {
    return Status{"option '--threads' needs a whole number from 1 to " +
                  std::to_string(kMaxThreads) + ", not '" + std::string(value) + "'"};
  }
  options.threads = threads;
  return Status{};
}

Status setMethod(Options& options, std::string_view value) {
  for (const EstimationMethod method :
       {EstimationMethod::kLinearised, EstimationMethod::kEntropy, EstimationMethod::kGradient}) {
    if (value == methodName(method)) {
      options.method = method;
      return Status{};
    }
  }
  return Status{"option '--method' needs linearised, entropy or gradient, not '" +
                std::string(value) + "'"};
}

// A number: finite and above 0 (or, with `allowInfinite`, "inf").
bool readPositive(std::string_view text, double& value, bool allowInfinite) {
  const std::string copy(text);
  char* end = nullptr;
  const double number = std::strtod(copy.c_str(), &end);
  if (copy.empty() || *end != '\0' || !(number > 0.0)) return false;
  if (!std::isfinite(number) && !(allowInfinite && copy == "inf")) return false;
  value = number;
  return true;
}

Status setCountWeight(Options& options, std::string_view value) {
  double kappa = 0.0;
  if (value == "auto") {
    options.countWeight = std::numeric_limits<double>::quiet_NaN();
  } else if (readPositive(value, kappa, true)) {
    options.countWeight = kappa;
  } else {
    return Status{"option '--count-weight' needs a number above 0, auto or inf, not '" +
                  std::string(value) + "'"};
  }
  return Status{};
}

Status setTripEndWeight(Options& options, std::string_view value) {
  double rho = 0.0;
  if (!readPositive(value, rho, true)) {
    return Status{"option '--trip-end-weight' needs a number above 0 or inf, not '" +
                  std::string(value) + "'"};
  }
  options.tripEndWeight = rho;
  return Status{};
}

Status setGap(Options& options, std::string_view value) {
  double gap = 0.0;
  if (!readPositive(value, gap, false) || gap >= 1.0) {
    return Status{"option '--gap' needs a number above 0 and below 1, not '" + std::string(value) +
                  "'"};
  }
  options.gap = gap;
  return Status{};
}

// A whole number from 1 to 1,000,000 for option `name`.
Status setCount(const char* name, int& target, std::string_view value) {
  int number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (error != std::errc() || end != value.data() + value.size() || number < 1 ||
      number > 1000000) {
    return Status{"option '--" + std::string(name) +
                  "' needs a whole number from 1 to 1000000, not '" + std::string(value) + "'"};
  }
  target = number;
  return Status{};
}

// The options that only a balancing method (or only one of them) reads.
Status checkMethodOptions(const Options& options) {
  const bool balancing = balancesPrior(options.method);
  const struct {
    const char* name;
    bool given;
    bool applies;
    const char* needs;
  } kOptions[] = {
      {"prior", options.priorPath.has_value(), balancing, "entropy or gradient"},
      {"zones", options.zones.has_value(), balancing, "entropy or gradient"},
      {"through-zones", options.throughZones, balancing, "entropy or gradient"},
      {"outer", options.outer > 0, balancing, "entropy or gradient"},
      {"gap", options.gap.has_value(), balancing, "entropy or gradient"},
      {"volumes", options.volumesPath.has_value(), balancing, "entropy or gradient"},
      {"count-weight", options.countWeight.has_value(),
       options.method == EstimationMethod::kEntropy, "entropy"},
      {"trip-end-weight", options.tripEndWeight.has_value(),
       options.method == EstimationMethod::kEntropy, "entropy"},
      {"max-iterations", options.maxIterations > 0, options.method == EstimationMethod::kGradient,
       "gradient"},
  };
  for (const auto& option : kOptions) {
    if (option.given && !option.applies) {
      return Status{"option '--" + std::string(option.name) + "' needs --method " + option.needs};
    }
  }
  return Status{};
}

std::vector<OptionRule> optionRules(Options& options) {
  return {
      textRule("fit", options.fitPath),
      textRule("summary", options.summaryPath),
      textRule("csv", options.csvPath),
      textRule("omx", options.omxPath),
      textRule("report", options.reportPath),
      textRule("reference", options.referencePath),
      {"threads", true, [&options](std::string_view v) { return setThreads(options, v); }},
      {"method", true, [&options](std::string_view v) { return setMethod(options, v); }},
      textRule("prior", options.priorPath),
      textRule("zones", options.zones),
      flagRule("through-zones", options.throughZones),
      {"count-weight", true, [&options](std::string_view v) { return setCountWeight(options, v); }},
      {"trip-end-weight", true,
       [&options](std::string_view v) { return setTripEndWeight(options, v); }},
      {"outer", true,
       [&options](std::string_view v) { return setCount("outer", options.outer, v); }},
      {"max-iterations", true,
       [&options](std::string_view v) {
         return setCount("max-iterations", options.maxIterations, v);
       }},
      {"gap", true, [&options](std::string_view v) { return setGap(options, v); }},
      textRule("volumes", options.volumesPath),
      flagRule("no-progress", options.noProgress),
      flagRule("help", options.help),
      flagRule("version", options.version),
  };
}

}  // namespace

bool parseThreadCount(std::string_view text, int& threads) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1 ||
      value > kMaxThreads) {
    return false;
  }
  threads = value;
  return true;
}

Status parseOptions(int argc, char** argv, Options& options) {
  Status status = parseCommandLine(argc, argv, optionRules(options), "veldmark", options.operands);
  if (!status.ok() || options.help || options.version) return status;
  return checkMethodOptions(options);
}

std::string ignoredOperandsWarning(const Options& options) {
  if (static_cast<int>(options.operands.size()) <= kUsedOperands) return "";
  std::string warning = "arguments after TRIPS ignored:";
  for (std::size_t i = kUsedOperands; i < options.operands.size(); ++i) {
    const std::string name = options.operands[i];
    warning += " " + (displayName(name) == name ? "'" + name + "'" : displayName(name));
  }
  return warning;
}

}  // namespace veldmark
