#include "driver/options.h"

#include <charconv>
#include <cstring>
#include <string_view>

namespace veldmark {
namespace {

// One option: its name (without "--"), whether it takes a value, and what it
// does with it.
struct OptionRule {
  const char* name;
  bool takesValue;
  Status (*apply)(Options& options, std::string_view value);
};

Status setPath(std::optional<std::string>& field, std::string_view value) {
  field = std::string(value);
  return Status{};
}

Status setThreads(Options& options, std::string_view value) {
  int threads = 0;
  if (!parseThreadCount(value, threads)) {
    return Status{"option '--threads' needs a whole number from 1 to " +
                  std::to_string(kMaxThreads) + ", not '" + std::string(value) + "'"};
  }
  options.threads = threads;
  return Status{};
}

const OptionRule kRules[] = {
    {"fit", true, [](Options& o, std::string_view v) { return setPath(o.fitPath, v); }},
    {"summary", true, [](Options& o, std::string_view v) { return setPath(o.summaryPath, v); }},
    {"csv", true, [](Options& o, std::string_view v) { return setPath(o.csvPath, v); }},
    {"omx", true, [](Options& o, std::string_view v) { return setPath(o.omxPath, v); }},
    {"report", true, [](Options& o, std::string_view v) { return setPath(o.reportPath, v); }},
    {"reference", true, [](Options& o, std::string_view v) { return setPath(o.referencePath, v); }},
    {"threads", true, setThreads},
    {"no-progress", false,
     [](Options& o, std::string_view) {
       o.noProgress = true;
       return Status{};
     }},
    {"help", false,
     [](Options& o, std::string_view) {
       o.help = true;
       return Status{};
     }},
    {"version", false,
     [](Options& o, std::string_view) {
       o.version = true;
       return Status{};
     }},
};

const OptionRule* findRule(std::string_view name) {
  for (const OptionRule& rule : kRules) {
    if (name == rule.name) return &rule;
  }
  return nullptr;
}

Status usageError(const std::string& what) {
  return Status{what + " (see veldmark --help)"};
}

// Applies the option at argv[index], taking its value from the next
// argument when it has no "="; advances `index` past what it used.
Status parseOne(int argc, char** argv, int& index, Options& options) {
  const std::string_view argument = argv[index] + 2;
  const std::size_t equals = argument.find('=');
  const std::string_view name = argument.substr(0, equals);
  const OptionRule* rule = findRule(name);
  const std::string shown = "'--" + std::string(name) + "'";
  if (rule == nullptr) return usageError("unknown option " + shown);
  ++index;
  if (!rule->takesValue) {
    if (equals != std::string_view::npos) return usageError("option " + shown + " takes no value");
    return rule->apply(options, {});
  }
  if (equals != std::string_view::npos) return rule->apply(options, argument.substr(equals + 1));
  if (index >= argc) return usageError("option " + shown + " needs a value");
  return rule->apply(options, argv[index++]);
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
  int index = 1;
  while (index < argc && std::strncmp(argv[index], "--", 2) == 0) {
    if (argv[index][2] == '\0') {
      ++index;
      break;
    }
    if (Status status = parseOne(argc, argv, index, options); !status.ok()) return status;
  }
  options.operands.assign(argv + index, argv + argc);
  return Status{};
}

}  // namespace veldmark
