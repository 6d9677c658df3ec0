#include "output/shortest_number.h"

#include <charconv>

namespace veldmark {

void writeShortestNumber(std::ostream& out, double value) {
  char text[32];
  const std::to_chars_result written = std::to_chars(text, text + sizeof text, value);
  out.write(text, written.ptr - text);
}

std::string shortestNumber(double value) {
  char text[32];  // the longest shortest form of a double is 24 characters
  const std::to_chars_result written = std::to_chars(text, text + sizeof text, value);
  return std::string(text, written.ptr);
}

}  // namespace veldmark
