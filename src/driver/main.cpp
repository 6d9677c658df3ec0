// Entry point: the only place that names the process's standard streams.
#include <iostream>

#include "driver/run.h"

int main(int argc, char** argv) {
  return veldmark::runProgram(argc, argv, std::cout, std::cerr);
}
