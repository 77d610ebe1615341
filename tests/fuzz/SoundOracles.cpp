#include "tests/fuzz/SoundOracles.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "tests/fuzz/FuzzFailure.h"

namespace gyrelle::fuzz {

const float kUnwritten = std::numeric_limits<float>::quiet_NaN();

void checkSound(const float* samples, int32_t frames, const char* where) {
  for (int32_t i = 0; i < frames; ++i) {
    if (!(std::fabs(samples[i]) <= 1.0f)) {
      std::fprintf(stderr, "%s: sample %d is %g\n", where, i, static_cast<double>(samples[i]));
      fail(std::isfinite(samples[i]) ? "an output sample is outside -1..1" : "an output sample is not finite or was never written",
           samples[i]);
    }
  }
}

void checkIdentical(const float* first, const float* second, int32_t frames, const char* where, const char* what) {
  for (int32_t i = 0; i < frames; ++i) {
    if (first[i] != second[i]) {
      std::fprintf(stderr, "%s: sample %d is %.9g in one and %.9g in the other\n", where, i,
                   static_cast<double>(first[i]), static_cast<double>(second[i]));
      fail(what, i);
    }
  }
}

void checkRecovered(const float* output, int32_t frames) {
  for (int32_t i = kRecoveryFrames; i < frames; ++i) {
    if (output[i] != 0.0f) {
      std::fprintf(stderr, "silence: sample %d after it began is %g\n", i, static_cast<double>(output[i]));
      fail("silence did not bring the output back to silence", i);
    }
  }
}

}  // namespace gyrelle::fuzz
