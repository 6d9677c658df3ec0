#include "cli/command_line.h"

#include <cstring>

namespace veldmark {
namespace {

const OptionRule* findRule(const std::vector<OptionRule>& rules, std::string_view name) {
  for (const OptionRule& rule : rules) {
    if (name == rule.name) return &rule;
  }
  return nullptr;
}

// Applies the option at argv[index], taking its value from the next
// argument when it has no "="; advances `index` past what it used.
Status parseOne(int argc, char** argv, int& index, const std::vector<OptionRule>& rules,
                const std::string& program) {
  const std::string_view argument = argv[index] + 2;
  const std::size_t equals = argument.find('=');
  const std::string_view name = argument.substr(0, equals);
  const std::string shown = "'--" + std::string(name) + "'";
  const std::string help = " (see " + program + " --help)";
  const OptionRule* rule = findRule(rules, name);
  if (rule == nullptr) return Status{"unknown option " + shown + help};
  ++index;
  if (!rule->takesValue) {
    if (equals != std::string_view::npos)
      return Status{"option " + shown + " takes no value" + help};
    return rule->apply({});
  }
  if (equals != std::string_view::npos) return rule->apply(argument.substr(equals + 1));
  if (index >= argc) return Status{"option " + shown + " needs a value" + help};
  return rule->apply(argv[index++]);
}

}  // namespace

Status parseCommandLine(int argc, char** argv, const std::vector<OptionRule>& rules,
                        const std::string& program, std::vector<char*>& operands) {
  int index = 1;
  while (index < argc) {
    if (std::strcmp(argv[index], "--") == 0) {
      operands.insert(operands.end(), argv + index + 1, argv + argc);
      return Status{};
    }
    if (std::strncmp(argv[index], "--", 2) != 0) {
      operands.push_back(argv[index++]);
      continue;
    }
    if (Status status = parseOne(argc, argv, index, rules, program); !status.ok()) return status;
  }
  return Status{};
}

OptionRule flagRule(const char* name, bool& flag) {
  return OptionRule{name, false, [&flag](std::string_view) {
                      flag = true;
                      return Status{};
                    }};
}

OptionRule textRule(const char* name, std::string& value) {
  return OptionRule{name, true, [&value](std::string_view text) {
                      value = std::string(text);
                      return Status{};
                    }};
}

OptionRule textRule(const char* name, std::optional<std::string>& value) {
  return OptionRule{name, true, [&value](std::string_view text) {
                      value = std::string(text);
                      return Status{};
                    }};
}

}  // namespace veldmark
