// Checks on the sound a session gives, shared by every format's target. Each
// aborts through fail() with what was broken.
#pragma once

#include <cstdint>

namespace gyrelle::fuzz {

// The output nobody wrote keeps this value, and is caught as not finite.
extern const float kUnwritten;

// After any input the silence that follows brings the output to exact
// silence within this many samples: the input frame is silent after 1024
// samples and the first silent frame completes within one hop (at most 512)
// after that; the frames before it still reach the output for 1024 samples.
constexpr int32_t kRecoveryFrames = 2560;
// How long the output must then stay silent.
constexpr int32_t kSilenceChecked = 64;

// Every sample finite and within -1..1.
void checkSound(const float* samples, int32_t frames, const char* where);

// The same samples in both, one for one; `what` names the promise broken.
void checkIdentical(const float* first, const float* second, int32_t frames, const char* where, const char* what);

// `output` is the answer to silence starting at its first sample: from
// kRecoveryFrames on it is 0.
void checkRecovered(const float* output, int32_t frames);

}  // namespace gyrelle::fuzz
