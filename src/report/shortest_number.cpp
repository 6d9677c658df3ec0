#include "report/shortest_number.h"

#include <charconv>

namespace veldmark {

std::string shortestNumber(double value) {
  char text[32];  // the longest shortest form of a double is 24 characters
  const std::to_chars_result written = std::to_chars(text, text + sizeof text, value);
  return std::string(text, written.ptr);
}

}  // namespace veldmark
