// A hint for a file given in the wrong place on the command line: when a
// file fails as one role's file but reads whole as another's, the message
// says so ("(is this the link flow file? the order is BASE ABSTRACT FLOWS)").
#pragma once

#include <string>

namespace veldmark {

// The role a file plays in a run.
enum class FileRole { kLinkFile, kFlowFile };  // BASE or ABSTRACT; FLOWS

/// The hint to append to the message of a file `path` that failed as a file
/// of `role`: " (is this the link flow file? the order is BASE ABSTRACT
/// FLOWS)" when a link file failed and the file reads whole as a link flow
/// file with at least one flow line, " (is this a link file? the order is
/// BASE ABSTRACT FLOWS)" when a flow file failed and the file reads whole as
/// a link file with at least one link; "" otherwise (also for a file that
/// cannot be read twice, such as a pipe). Reads the file again, with no
/// limit on its links; prints nothing.
std::string roleHint(FileRole role, const std::string& path);

}  // namespace veldmark
