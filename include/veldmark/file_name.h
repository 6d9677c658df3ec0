// How a file name appears in a message: as given, unless it is empty or odd.
#pragma once

#include <cstdio>
#include <string>

namespace veldmark {

/// Returns `path` as it is when it is a plain name; otherwise the name in
/// single quotes with a backslash before a quote or a backslash and every
/// control byte written as \xHH. A name is odd when it is empty, holds a
/// control byte, a quote, a backslash or a colon (which would read as the
/// line number's separator), or starts or ends with a blank. Allocates the
/// result; prints nothing.
inline std::string displayName(const std::string& path) {
  bool odd = path.empty() || path.front() == ' ' || path.back() == ' ';
  for (const char c : path) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == '\'' || c == '\\' || c == ':') odd = true;
  }
  if (!odd) return path;
  std::string quoted = "'";
  for (const char c : path) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      quoted += escape;
    } else {
      if (c == '\'' || c == '\\') quoted += '\\';
      quoted += c;
    }
  }
  return quoted + "'";
}

}  // namespace veldmark
