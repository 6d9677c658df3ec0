// Entry point of veldmark-assign: the only place that names its streams.
#include <iostream>

#include "assign/assign_run.h"

int main(int argc, char** argv) {
  return veldmark::runAssign(argc, argv, std::cout, std::cerr);
}
