#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace veldmark::fuzz {
namespace {

std::string& directoryPath() {
  static std::string path;
  return path;
}

void removeScratchDirectory() {
  std::error_code ignored;
  if (!directoryPath().empty()) std::filesystem::remove_all(directoryPath(), ignored);
}

}  // namespace

const std::string& scratchDirectory() {
  std::string& path = directoryPath();
  if (path.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/veldmark-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) propertyFailed("mkdtemp", __FILE__, __LINE__);
    path = pattern;
    std::atexit(removeScratchDirectory);
  }
  return path;
}

std::string writeScratchFile(const std::string& name, std::string_view content) {
  const std::string path = scratchDirectory() + "/" + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) propertyFailed("cannot create a scratch file", __FILE__, __LINE__);
  const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
  if (std::fclose(file) != 0 || !written) {
    propertyFailed("cannot write a scratch file", __FILE__, __LINE__);
  }
  return path;
}

void propertyFailed(const char* what, const char* file, int line) {
  std::fprintf(stderr, "property failed: %s (%s:%d)\n", what, file, line);
  std::abort();
}

std::vector<std::string_view> splitInput(const std::uint8_t* data, std::size_t size, char separator,
                                         std::size_t maxParts) {
  std::vector<std::string_view> parts;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::size_t start = 0;
  while (parts.size() + 1 < maxParts) {
    const std::size_t end = text.find(separator, start);
    if (end == std::string_view::npos) break;
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::vector<std::string> fileLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string line(bytes.substr(start, end - start));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

}  // namespace veldmark::fuzz
