// How large a network file may be: each estimation method sets its own
// limits, and the readers enforce the ones they are given.
#pragma once

namespace veldmark {

struct NetworkLimits {
  int links = 0;  // link lines per network file
  int nodes = 0;  // distinct nodes per network
};

}  // namespace veldmark
