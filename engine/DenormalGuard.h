// Flush-to-zero and denormals-are-zero for the lifetime of the guard, with the
// caller's floating-point mode put back afterwards. Denormal numbers in the
// signal path would otherwise cost hundreds of cycles each.
#pragma once

#include <xmmintrin.h>

namespace gyrelle {

class DenormalGuard {
 public:
  DenormalGuard() : saved(_mm_getcsr()) { _mm_setcsr(saved | kFlushToZero | kDenormalsAreZero); }
  ~DenormalGuard() { _mm_setcsr(saved); }
  DenormalGuard(const DenormalGuard&) = delete;
  DenormalGuard& operator=(const DenormalGuard&) = delete;

  static constexpr unsigned kFlushToZero = 0x8000;
  static constexpr unsigned kDenormalsAreZero = 0x0040;

 private:
  unsigned saved;
};

}  // namespace gyrelle
