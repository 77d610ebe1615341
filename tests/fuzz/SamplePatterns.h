// Input samples a fuzzer input asks for: silence, tones, noise, raw bit
// patterns, tones strewn with NaN, infinities and extremes, constants,
// denormals and impulses, at levels from quiet to the largest float.
#pragma once

#include <cstdint>

#include "tests/fuzz/ByteReader.h"

namespace gyrelle::fuzz {

// Fills samples[0, frames) as the next bytes of `in` say.
void fillSamples(ByteReader& in, float* samples, int32_t frames);

}  // namespace gyrelle::fuzz
