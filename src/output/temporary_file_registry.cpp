// The registered temporary file: a static name and a flag a handler reads.
#include "output/temporary_file_registry.h"

#include <unistd.h>

#include <csignal>
#include <cstring>

namespace veldmark {
namespace {

constexpr std::size_t kNameCapacity = 4096;

char registeredName[kNameCapacity];
volatile std::sig_atomic_t nameIsRegistered = 0;

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

void removeRegisteredTemporaryFile() {
  if (nameIsRegistered == 0) return;
  nameIsRegistered = 0;
  ::unlink(registeredName);
}

}  // namespace veldmark
