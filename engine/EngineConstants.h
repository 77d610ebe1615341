// Sizes and parameter indices shared by the whole engine.
#pragma once

#include <cstdint>

namespace gyrelle {

constexpr int32_t kNumParams = 9;
constexpr int32_t kNumPrograms = 16;

enum ParameterIndex : int32_t {
  kRenderLevel = 0,
  kNumGrooves = 1,
  kRange = 2,
  kSpeed = 3,
  kPitchBias = 4,
  kVolumeBias = 5,
  kLoudestPitch = 6,
  kDryOutLvl = 7,
  kWetOutLvl = 8,
};

constexpr int32_t kFrameSize = 1024;            // samples per analysis frame
constexpr int32_t kBinCount = kFrameSize / 2 + 1;  // bins 0 to 512
constexpr int32_t kMaxGrooves = 10;
constexpr int32_t kMinGrooves = 2;
constexpr int32_t kLatencyFrames = kFrameSize;  // every sample leaves one frame later

// Single-precision constants the signal path is defined with.
constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831855f;

}  // namespace gyrelle
