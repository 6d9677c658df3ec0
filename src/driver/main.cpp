// Entry point: the only place that names the process's standard streams. The
// console goes through a ConsoleBuffer, so that a console write that fails
// (a reader gone, a full disk) never ends the run.
#include <unistd.h>

#include <iostream>

#include "driver/console_stream.h"
#include "driver/run.h"
#include "output/signals.h"

int main(int argc, char** argv) {
  veldmark::installSignalHandlers();
  veldmark::ConsoleBuffer buffer(STDOUT_FILENO);
  std::ostream console(&buffer);
  std::cerr.tie(&console);  // as std::cerr was tied to std::cout: the console first
  const int code = veldmark::runProgram(argc, argv, console, std::cerr);
  std::cerr.tie(nullptr);  // the console ends with main
  return code;
}
