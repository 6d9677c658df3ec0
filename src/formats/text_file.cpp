// Whole-file reading and the checks and number parsing of the foreign readers.
#include "formats/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

namespace veldmark {
namespace {

constexpr std::size_t kReadChunk = 1 << 20;  // bytes asked of read(2) at a time

int lineOf(std::string_view content, std::size_t offset) {
  return 1 + static_cast<int>(std::count(content.begin(), content.begin() + offset, '\n'));
}

}  // namespace

Status readWholeFile(const std::string& path, std::string& content) {
  content.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Status{path + ": cannot open: " + std::strerror(errno)};
  struct stat info;
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    return Status{path + ": is a directory"};
  }
  // A regular file is read in one piece of its size and one more byte (to
  // see its end); a pipe or a file that grew, a chunk at a time.
  std::size_t piece = kReadChunk;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    piece = static_cast<std::size_t>(info.st_size) + 1;
    content.reserve(piece);
  }
  int error = 0;
  for (;;) {
    const std::size_t used = content.size();
    content.resize(used + piece);
    const ssize_t got = ::read(fd, content.data() + used, piece);
    piece = kReadChunk;
    if (got < 0 && errno == EINTR) {
      content.resize(used);
      continue;
    }
    content.resize(used + static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    if (got < 0) error = errno;
    if (got <= 0) break;
  }
  ::close(fd);
  if (error != 0) return Status{path + ": read error: " + std::strerror(error)};
  return Status{};
}

Status checkNoNul(const std::string& path, std::string_view content) {
  const std::size_t nul = content.find('\0');
  if (nul == std::string_view::npos) return Status{};
  return Status{path + ":" + std::to_string(lineOf(content, nul)) +
                ": NUL byte (not a text file, or a damaged one)"};
}

Status checkText(const std::string& path, std::string_view content) {
  if (Status status = checkNoNul(path, content); !status.ok()) return status;
  std::size_t cr = content.find('\r');
  while (cr != std::string_view::npos && cr + 1 < content.size() && content[cr + 1] == '\n') {
    cr = content.find('\r', cr + 2);
  }
  // A CR at the very end of the file ends its last line.
  if (cr + 1 == content.size()) cr = std::string_view::npos;
  if (cr != std::string_view::npos) {
    return Status{path + ":" + std::to_string(lineOf(content, cr)) +
                  ": lines end with a CR alone; convert the line ends to LF"};
  }
  return Status{};
}

std::size_t byteOrderMarkLength(std::string_view content) {
  return content.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

bool parseNodeText(std::string_view text, NodeId& node) {
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  if (text.empty() || text[0] == '+') return false;
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  if (value < std::numeric_limits<NodeId>::min() || value > std::numeric_limits<NodeId>::max()) {
    return false;
  }
  node = static_cast<NodeId>(value);
  return true;
}

bool parseRealText(std::string_view text, double& value) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text[0] == '+' || text[0] == '-') return false;
  double read = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), read);
  // from_chars refuses what is too large or too small for a double where
  // strtod gives an infinity or a denormal; this reader refuses both too.
  if (error != std::errc() || end != text.data() + text.size()) return false;
  value = negative ? -read : read;
  return true;
}

}  // namespace veldmark
