// Reading numbers from a moving position in a NUL-terminated line, with the
// semantics of strtol (base 10) and strtod: leading white space is skipped, a
// sign is allowed, and a field that cannot be read leaves the position alone.
#pragma once

#include "veldmark/types.h"

namespace veldmark {

/// Reads a node number at `position` as strtol in base 10. On success moves
/// `position` past all its digits and stores it, saturated to the 32-bit
/// range; otherwise stores 0, leaves `position` and returns false.
bool readNode(const char*& position, NodeId& node);

/// Reads a real at `position` as strtod. On success moves `position` past it;
/// otherwise stores 0, leaves `position` and returns false.
bool readReal(const char*& position, double& value);

/// True when `text` holds nothing but white space before its first NUL.
bool isBlank(const char* text);

}  // namespace veldmark
