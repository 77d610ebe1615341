// What a host relies on in every block it gets back.
#pragma once

#include <cmath>
#include <cstdint>

namespace gyrelle::testing {

// True when every sample is finite and within -1..1.
inline bool outputIsSound(const float* samples, int32_t frames) {
  for (int32_t i = 0; i < frames; ++i) {
    if (!std::isfinite(samples[i]) || std::fabs(samples[i]) > 1.0f) return false;
  }
  return true;
}

}  // namespace gyrelle::testing
