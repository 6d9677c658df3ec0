// The command line of Veldmark's programs: `PROGRAM [OPTION...] FILES...`.
// An argument that starts with "--" and names one of the program's options
// is that option, wherever it stands before "--"; its value follows as the
// next argument or after "=" (`--fit FILE`, `--fit=FILE`). "--" ends the
// options, so that a file whose name starts with "--" can still be named.
// Every other argument (a lone "-", a name starting with one dash) is an
// operand, in order.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "veldmark/types.h"

namespace veldmark {

// One option of a program: its name without "--", whether it takes a value,
// and what it does with the value ("" for an option without one). `apply`
// fails with a message naming the option and the bad value.
struct OptionRule {
  const char* name;
  bool takesValue;
  std::function<Status(std::string_view value)> apply;
};

/// Parses argv[1..argc) against `rules`, applying each option in order, and
/// appends the operands to `operands`. Fails, at the first fault, with
/// "unknown option '--x' (see PROGRAM --help)", "option '--x' needs a value
/// (...)", "option '--x' takes no value (...)" or the rule's own message;
/// `program` names the program in the pointer to its help. Prints nothing.
Status parseCommandLine(int argc, char** argv, const std::vector<OptionRule>& rules,
                        const std::string& program, std::vector<char*>& operands);

/// A rule that sets `flag` (an option without a value).
OptionRule flagRule(const char* name, bool& flag);

/// A rule that keeps its value as text in `value` (an option with a value).
OptionRule textRule(const char* name, std::string& value);
OptionRule textRule(const char* name, std::optional<std::string>& value);

}  // namespace veldmark
