// Entry point of veldmark-convert: the only place that names its streams.
#include <iostream>

#include "convert/convert.h"

int main(int argc, char** argv) {
  return veldmark::runConvert(argc, argv, std::cout, std::cerr);
}
