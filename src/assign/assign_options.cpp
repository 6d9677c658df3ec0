#include "assign/assign_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "cli/command_line.h"

namespace veldmark {
namespace {

// A whole number from 1 to 1,000,000.
bool readCount(const std::string& text, int& value) {
  char* end = nullptr;
  errno = 0;
  const long number = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || number < 1 || number > 1000000) return false;
  value = static_cast<int>(number);
  return true;
}

// A finite number >= 0.
bool readFactor(const std::string& text, double& value) {
  char* end = nullptr;
  const double number = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(number) || number < 0.0) return false;
  value = number;
  return true;
}

Status refused(const char* name, const char* wanted, std::string_view value) {
  return Status{std::string("--") + name + " needs " + wanted + ", not '" + std::string(value) +
                "'"};
}

OptionRule countRule(const char* name, int& value) {
  return OptionRule{name, true, [name, &value](std::string_view text) {
                      if (readCount(std::string(text), value)) return Status{};
                      return refused(name, "a whole number from 1 to 1000000", text);
                    }};
}

OptionRule factorRule(const char* name, double& value) {
  return OptionRule{name, true, [name, &value](std::string_view text) {
                      if (readFactor(std::string(text), value)) return Status{};
                      return refused(name, "a number, 0 or above", text);
                    }};
}

OptionRule gapRule(double& value) {
  return OptionRule{"gap", true, [&value](std::string_view text) {
                      double gap = 0.0;
                      if (!readFactor(std::string(text), gap) || gap <= 0.0 || gap >= 1.0) {
                        return refused("gap", "a number above 0 and below 1", text);
                      }
                      value = gap;
                      return Status{};
                    }};
}

OptionRule nameRule(const char* name, const char* wanted, std::string& value) {
  return OptionRule{name, true, [name, wanted, &value](std::string_view text) {
                      if (text.empty()) return refused(name, wanted, text);
                      value = std::string(text);
                      return Status{};
                    }};
}

std::vector<OptionRule> optionRules(AssignOptions& options) {
  return {nameRule("zones", "A-B or a FILE", options.zones),
          flagRule("through-zones", options.throughZones),
          gapRule(options.gap),
          countRule("max-iterations", options.maxIterations),
          factorRule("toll-factor", options.tollFactor),
          factorRule("distance-factor", options.distanceFactor),
          countRule("threads", options.threads),
          nameRule("summary", "a FILE", options.summary),
          flagRule("no-progress", options.noProgress),
          flagRule("help", options.help),
          flagRule("version", options.version)};
}

}  // namespace

Status parseAssignOptions(int argc, char** argv, AssignOptions& options) {
  std::vector<char*> operands;
  Status status = parseCommandLine(argc, argv, optionRules(options), "veldmark-assign", operands);
  if (!status.ok()) return status;
  if (options.help || options.version) return Status{};
  if (operands.size() != 3)
    return Status{"BASE TRIPS VOLUMES expected (see veldmark-assign --help)"};
  options.base = operands[0];
  options.trips = operands[1];
  options.volumes = operands[2];
  return Status{};
}

}  // namespace veldmark
