#include "input/number_parsing.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace veldmark {
namespace {

// True when a number may end before `c`: a blank, a tab, a CR or the end.
bool endsNumber(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\0';
}

}  // namespace

NumberRead readNode(const char*& position, NodeId& node, NodeEnd ending) {
  node = 0;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(position, &end, 10);
  if (end == position) return NumberRead::kNotANumber;
  if (ending == NodeEnd::kWhole && !endsNumber(*end)) return NumberRead::kNotANumber;
  constexpr long kLowest = std::numeric_limits<NodeId>::min();
  constexpr long kHighest = std::numeric_limits<NodeId>::max();
  if (errno == ERANGE || value < kLowest || value > kHighest) return NumberRead::kOutOfRange;
  node = static_cast<NodeId>(value);
  position = end;
  return NumberRead::kRead;
}

NumberRead readWholeReal(const char*& position, double& value) {
  char* end = nullptr;
  const double read = std::strtod(position, &end);
  value = 0.0;
  if (end == position || !endsNumber(*end)) return NumberRead::kNotANumber;
  value = read;
  position = end;
  return NumberRead::kRead;
}

bool readReal(const char*& position, double& value) {
  char* end = nullptr;
  value = std::strtod(position, &end);
  if (end == position) {
    value = 0.0;
    return false;
  }
  position = end;
  return true;
}

bool isBlank(const char* text) {
  for (; *text != '\0'; ++text) {
    if (!std::isspace(static_cast<unsigned char>(*text))) return false;
  }
  return true;
}

}  // namespace veldmark
