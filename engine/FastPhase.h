// atan2 to within 1e-5 radians, without branches, so that a loop over all
// bins vectorises; the library's atan2f costs more than both transforms.
// Internal linkage: each instruction set's frame loops get their own copy.
#pragma once

#include "engine/EngineConstants.h"

namespace gyrelle {
namespace {

inline float fastAtan2(float y, float x) {
  const float ax = __builtin_fabsf(x);
  const float ay = __builtin_fabsf(y);
  const float largest = ax > ay ? ax : ay;
  const float smallest = ax > ay ? ay : ax;
  const float a = smallest / (largest > 1e-30f ? largest : 1e-30f);  // 0 when both are 0
  const float s = a * a;
  // Minimax polynomial for atan on [0, 1].
  float r = a * (0.9998660f + s * (-0.3302995f + s * (0.1801410f + s * (-0.0851330f + s * 0.0208351f))));
  r = ay > ax ? 0.5f * kPi - r : r;
  r = x < 0.0f ? kPi - r : r;
  return y < 0.0f ? -r : r;
}

// sin on [-pi/2, pi/2] to within 1e-7, odd polynomial.
inline float sinHalfTurn(float x) {
  const float s = x * x;
  return x * (1.0f + s * (-1.0f / 6.0f + s * (1.0f / 120.0f + s * (-1.0f / 5040.0f +
                                                               s * (1.0f / 362880.0f + s * (-1.0f / 39916800.0f))))));
}

// Reflects a phase in [-pi, pi] into [-pi/2, pi/2] with the same sine.
inline float reflectIntoHalfTurn(float x) {
  const float half = 0.5f * kPi;
  x = x > half ? kPi - x : x;
  return x < -half ? -kPi - x : x;
}

// Sine and cosine of a phase already brought into [-pi, pi], without branches.
inline void fastSinCos(float x, float& sine, float& cosine) {
  sine = sinHalfTurn(reflectIntoHalfTurn(x));
  float shifted = x + 0.5f * kPi;  // cos x = sin(x + pi/2)
  shifted = shifted > kPi ? shifted - kTwoPi : shifted;
  cosine = sinHalfTurn(reflectIntoHalfTurn(shifted));
}

}  // namespace
}  // namespace gyrelle
