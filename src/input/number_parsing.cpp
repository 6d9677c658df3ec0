#include "input/number_parsing.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace veldmark {

bool readNode(const char*& position, NodeId& node) {
  char* end = nullptr;
  const long value = std::strtol(position, &end, 10);
  if (end == position) {
    node = 0;
    return false;
  }
  constexpr long kLowest = std::numeric_limits<NodeId>::min();
  constexpr long kHighest = std::numeric_limits<NodeId>::max();
  node = static_cast<NodeId>(value < kLowest ? kLowest : value > kHighest ? kHighest : value);
  position = end;
  return true;
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
