// Reading a failed input again as a file of the other role.
#include "driver/role_hint.h"

#include <limits>
#include <vector>

#include "input/link_file.h"
#include "input/link_flow_file.h"

namespace veldmark {
namespace {

constexpr const char* kOrder = " the order is BASE ABSTRACT FLOWS)";

// True when `path` reads whole as a link file with at least one link.
bool readsAsLinkFile(const std::string& path) {
  std::vector<LinkLine> links;
  return readLinkFile(path, links, std::numeric_limits<int>::max()).ok() && !links.empty();
}

// True when `path` reads whole as a link flow file with at least one flow
// line (its node fields read; no abstract link to match them against).
bool readsAsFlowFile(const std::string& path) {
  AbstractNetwork none;
  FlowFileStatistics statistics;
  return readLinkFlowFile(path, none, &statistics).ok() && !statistics.unmatched.empty();
}

}  // namespace

std::string roleHint(FileRole role, const std::string& path) {
  if (role == FileRole::kLinkFile && readsAsFlowFile(path)) {
    return std::string(" (is this the link flow file?") + kOrder;
  }
  if (role == FileRole::kFlowFile && readsAsLinkFile(path)) {
    return std::string(" (is this a link file?") + kOrder;
  }
  return "";
}

}  // namespace veldmark
