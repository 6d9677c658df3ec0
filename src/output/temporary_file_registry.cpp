// The registered temporary file: a static name and a flag a handler reads.
#include "output/temporary_file_registry.h"

#include <unistd.h>

#include <csignal>
#include <cstring>

namespace veldmark {
namespace {

constexpr std::size_t kNameCapacity = 4096;

constexpr std::size_t kDirectoryFiles = 8;

char registeredName[kNameCapacity];
volatile std::sig_atomic_t nameIsRegistered = 0;

char registeredDirectory[kNameCapacity];
char directoryFiles[kDirectoryFiles][kNameCapacity];
volatile std::sig_atomic_t directoryFileCount = 0;
volatile std::sig_atomic_t directoryIsRegistered = 0;

bool copyName(char (&buffer)[kNameCapacity], const std::string& name) {
  if (name.size() >= kNameCapacity) return false;
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  return true;
}

void terminationSignals(sigset_t& set) {
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
}

}  // namespace

void blockTerminationSignals(sigset_t& previous) {
  sigset_t set;
  terminationSignals(set);
  sigprocmask(SIG_BLOCK, &set, &previous);
}

void restoreSignalMask(const sigset_t& previous) {
  sigprocmask(SIG_SETMASK, &previous, nullptr);
}

bool registerTemporaryFile(const char* path) {
  nameIsRegistered = 0;
  const std::size_t length = std::strlen(path);
  if (length >= kNameCapacity) return false;
  std::memcpy(registeredName, path, length + 1);
  nameIsRegistered = 1;
  return true;
}

void forgetTemporaryFile() {
  nameIsRegistered = 0;
}

bool registerTemporaryDirectory(const std::string& directory,
                                const std::vector<std::string>& fileNames) {
  directoryIsRegistered = 0;
  if (fileNames.size() > kDirectoryFiles || !copyName(registeredDirectory, directory)) return false;
  for (std::size_t k = 0; k < fileNames.size(); ++k) {
    if (!copyName(directoryFiles[k], directory + "/" + fileNames[k])) return false;
  }
  directoryFileCount = static_cast<std::sig_atomic_t>(fileNames.size());
  directoryIsRegistered = 1;
  return true;
}

void forgetTemporaryDirectory() {
  directoryIsRegistered = 0;
}

void removeRegisteredTemporaryFile() {
  if (nameIsRegistered != 0) {
    nameIsRegistered = 0;
    ::unlink(registeredName);
  }
  if (directoryIsRegistered != 0) {
    directoryIsRegistered = 0;
    for (int k = 0; k < directoryFileCount; ++k) ::unlink(directoryFiles[k]);
    ::rmdir(registeredDirectory);
  }
}

}  // namespace veldmark
