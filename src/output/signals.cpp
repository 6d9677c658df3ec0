#include "output/signals.h"

#include <signal.h>

#include <initializer_list>

#include "output/temporary_file_registry.h"

namespace veldmark {
namespace {

// Async-signal-safe: unlink(2), sigaction(2) and raise(3) only.
void removeTemporaryAndDie(int signalNumber) {
  removeRegisteredTemporaryFile();
  struct sigaction defaultAction {};
  defaultAction.sa_handler = SIG_DFL;
  sigemptyset(&defaultAction.sa_mask);
  sigaction(signalNumber, &defaultAction, nullptr);
  raise(signalNumber);  // delivered when the handler returns
}

void ignore(int signalNumber) {
  struct sigaction action {};
  action.sa_handler = SIG_IGN;
  sigemptyset(&action.sa_mask);
  sigaction(signalNumber, &action, nullptr);
}

void catchUnlessIgnored(int signalNumber) {
  struct sigaction current {};
  sigaction(signalNumber, nullptr, &current);
  if (current.sa_handler == SIG_IGN) return;
  struct sigaction action {};
  action.sa_handler = removeTemporaryAndDie;
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  sigaddset(&action.sa_mask, SIGHUP);
  sigaction(signalNumber, &action, nullptr);
}

}  // namespace

void installSignalHandlers() {
  ignore(SIGPIPE);
  ignore(SIGXFSZ);
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) catchUnlessIgnored(signalNumber);
}

}  // namespace veldmark
