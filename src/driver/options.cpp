#include "driver/options.h"

#include <charconv>

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

std::vector<OptionRule> optionRules(Options& options) {
  return {
      textRule("fit", options.fitPath),
      textRule("summary", options.summaryPath),
      textRule("csv", options.csvPath),
      textRule("omx", options.omxPath),
      textRule("report", options.reportPath),
      textRule("reference", options.referencePath),
      {"threads", true, [&options](std::string_view v) { return setThreads(options, v); }},
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
  return parseCommandLine(argc, argv, optionRules(options), "veldmark", options.operands);
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
