// How a fuzz target reports a broken promise: one line naming it, then abort,
// so that libFuzzer keeps the input that did it.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace gyrelle::fuzz {

[[noreturn]] inline void fail(const char* what, double detail = 0.0) {
  std::fprintf(stderr, "contract broken: %s (%g)\n", what, detail);
  std::abort();
}

}  // namespace gyrelle::fuzz
