#include "tests/fuzz/SamplePatterns.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <iterator>
#include <limits>

namespace gyrelle::fuzz {

namespace {
const float kAmplitudes[] = {0.1f, 0.5f, 1.0f, 4.0f, 1e3f, 1e30f, FLT_MAX};
const float kSpecials[] = {std::numeric_limits<float>::quiet_NaN(), INFINITY, -INFINITY, FLT_MAX, -FLT_MAX,
                           std::numeric_limits<float>::denorm_min(), -0.0f, 1e-40f};
}  // namespace

void fillSamples(ByteReader& in, float* samples, int32_t frames) {
  const uint8_t kind = in.below(8);
  const float amplitude = kAmplitudes[in.below(std::size(kAmplitudes))];
  switch (kind) {
    case 0:
      std::fill(samples, samples + frames, 0.0f);
      break;
    case 1:
    case 4: {
      const double step = 2.0 * M_PI * (1.0 + in.byte()) * 40.0 / 48000.0;
      const uint32_t every = 1 + in.byte();
      for (int32_t i = 0; i < frames; ++i) {
        samples[i] = static_cast<float>(amplitude * std::sin(step * i));
        if (kind == 4 && i % every == 0) samples[i] = kSpecials[(i / every) % std::size(kSpecials)];
      }
      break;
    }
    case 2: {
      uint32_t state = in.word() | 1;
      for (int32_t i = 0; i < frames; ++i) {
        state = state * 1664525u + 1013904223u;
        samples[i] = amplitude * (static_cast<float>(state >> 8) / 8388608.0f - 1.0f);
      }
      break;
    }
    case 3: {
      float pattern[16];
      const int32_t count = 1 + static_cast<int32_t>(in.below(16));
      for (int32_t k = 0; k < count; ++k) pattern[k] = in.anyFloat();
      for (int32_t i = 0; i < frames; ++i) samples[i] = pattern[i % count];
      break;
    }
    case 5:
      std::fill(samples, samples + frames, in.anyFloat());
      break;
    case 6:
      for (int32_t i = 0; i < frames; ++i) {
        samples[i] = (i & 1 ? -1.0f : 1.0f) * std::numeric_limits<float>::denorm_min() * static_cast<float>(1 + i % 1000);
      }
      break;
    case 7: {
      const int32_t every = 1 + static_cast<int32_t>(in.word() % 4096);
      for (int32_t i = 0; i < frames; ++i) samples[i] = i % every == 0 ? amplitude : 0.0f;
      break;
    }
  }
}

}  // namespace gyrelle::fuzz
