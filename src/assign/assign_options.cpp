#include "assign/assign_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <vector>

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

// Stores the value of option `name`; false when it is malformed.
bool storeValue(const std::string& name, const std::string& value, AssignOptions& options,
                std::string& wanted) {
  if (name == "--zones") {
    options.zones = value;
    wanted = "A-B or a FILE";
    return !value.empty();
  }
  if (name == "--summary") {
    options.summary = value;
    wanted = "a FILE";
    return !value.empty();
  }
  if (name == "--gap") {
    wanted = "a number above 0 and below 1";
    return readFactor(value, options.gap) && options.gap > 0.0 && options.gap < 1.0;
  }
  if (name == "--max-iterations" || name == "--threads") {
    wanted = "a whole number from 1 to 1000000";
    return readCount(value, name == "--threads" ? options.threads : options.maxIterations);
  }
  wanted = "a number, 0 or above";
  return readFactor(value, name == "--toll-factor" ? options.tollFactor : options.distanceFactor);
}

bool takesValue(const std::string& name) {
  for (const char* known : {"--zones", "--summary", "--gap", "--max-iterations", "--threads",
                            "--toll-factor", "--distance-factor"}) {
    if (name == known) return true;
  }
  return false;
}

// Reads one option at argv[next] (and its value); moves `next` past them.
Status readOption(int argc, char** argv, int& next, AssignOptions& options) {
  std::string name = argv[next++];
  const std::size_t equals = name.find('=');
  std::string value;
  const bool joined = name.rfind("--", 0) == 0 && equals != std::string::npos;
  if (joined) {
    value = name.substr(equals + 1);
    name = name.substr(0, equals);
  }
  if (name == "--through-zones" || name == "--no-progress" || name == "--help" || name == "-h" ||
      name == "--version") {
    if (joined) return Status{name + " takes no value"};
    options.throughZones |= name == "--through-zones";
    options.noProgress |= name == "--no-progress";
    options.help |= name == "--help" || name == "-h";
    options.version |= name == "--version";
    return Status{};
  }
  if (!takesValue(name)) return Status{"unknown option " + name + " (see --help)"};
  if (!joined && next == argc) return Status{name + " needs a value"};
  if (!joined) value = argv[next++];
  std::string wanted;
  if (!storeValue(name, value, options, wanted)) {
    return Status{name + " needs " + wanted + ", not '" + value + "'"};
  }
  return Status{};
}

}  // namespace

Status parseAssignOptions(int argc, char** argv, AssignOptions& options) {
  std::vector<std::string> files;
  bool optionsEnded = false;
  for (int next = 1; next < argc;) {
    const std::string argument = argv[next];
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
      ++next;
    } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
      if (Status status = readOption(argc, argv, next, options); !status.ok()) return status;
    } else {
      files.push_back(argument);
      ++next;
    }
  }
  if (options.help || options.version) return Status{};
  if (files.size() != 3) return Status{"BASE TRIPS VOLUMES expected (see --help)"};
  options.base = files[0];
  options.trips = files[1];
  options.volumes = files[2];
  return Status{};
}

}  // namespace veldmark
