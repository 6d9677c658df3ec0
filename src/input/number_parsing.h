// Reading numbers from a moving position in a NUL-terminated line, with the
// semantics of strtol (base 10) and strtod: leading white space is skipped, a
// sign is allowed, and a field that cannot be read leaves the position alone.
// A node number or a flow value is read whole: it must end at a blank, a tab,
// a CR or the end of the line (the to-node of a flow line excepted, see NodeEnd).
#pragma once

#include "veldmark/types.h"

namespace veldmark {

// The outcome of reading a node number or a flow value.
enum class NumberRead {
  kRead,        // read whole; the position moved past it
  kNotANumber,  // no number there, or one that runs on into other characters
  kOutOfRange,  // a node number outside the 32-bit signed range
};

// Where a node number may end.
enum class NodeEnd {
  kWhole,     // at a blank, a tab, a CR or the end of the line (kNotANumber otherwise)
  kAnywhere,  // wherever its digits end, as strtol: the to-node of a flow line, whose
              // next 3 characters are the separator whatever they are
};

/// Reads a node number at `position` as strtol in base 10; with NodeEnd::kWhole
/// it must end where a whole field does. On kRead moves `position` past all
/// its digits and stores it; otherwise stores 0 and leaves `position`. Never
/// reads past the line's NUL.
NumberRead readNode(const char*& position, NodeId& node, NodeEnd end = NodeEnd::kWhole);

/// Reads a flow value at `position` as strtod; it must end where a node
/// number must. On kRead moves `position` past it; otherwise stores 0 and
/// leaves `position`. Never returns kOutOfRange.
NumberRead readWholeReal(const char*& position, double& value);

/// Reads a real at `position` as strtod, whatever follows it. On success
/// moves `position` past it; otherwise stores 0, leaves `position` and
/// returns false.
bool readReal(const char*& position, double& value);

/// True when `text` holds nothing but white space before its first NUL.
bool isBlank(const char* text);

}  // namespace veldmark
