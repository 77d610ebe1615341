// Flush-to-zero and denormals-are-zero for the lifetime of the guard, with the
// caller's floating-point mode put back afterwards. Denormal numbers in the
// signal path would otherwise cost hundreds of cycles each.
#pragma once

#include <xmmintrin.h>

namespace gyrelle {

class DenormalGuard {
 public:
  // Writing the mode costs tens of cycles on every block: a host that
  // already flushes is left alone.
  DenormalGuard() : saved(_mm_getcsr()), change((saved & kFlushing) != kFlushing) {
    if (change) _mm_setcsr(saved | kFlushing);
  }
  ~DenormalGuard() {
    if (change) _mm_setcsr(saved);
  }
  DenormalGuard(const DenormalGuard&) = delete;
  DenormalGuard& operator=(const DenormalGuard&) = delete;

  static constexpr unsigned kFlushToZero = 0x8000;
  static constexpr unsigned kDenormalsAreZero = 0x0040;
  static constexpr unsigned kFlushing = kFlushToZero | kDenormalsAreZero;

 private:
  const unsigned saved;
  const bool change;
};

}  // namespace gyrelle
