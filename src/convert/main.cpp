// Entry point of veldmark-convert: the only place that names its streams.
#include <iostream>

#include "convert/convert.h"
#include "output/signals.h"

int main(int argc, char** argv) {
  // A termination signal while OUTDIR or an OpenMatrix file is written
  // removes the temporary directory or file, as in veldmark.
  veldmark::installSignalHandlers();
  return veldmark::runConvert(argc, argv, std::cout, std::cerr);
}
