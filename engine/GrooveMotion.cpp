#include "engine/GrooveMotion.h"

#include <cmath>

namespace gyrelle {

namespace {
constexpr float kFadeEdge = 0.0001f;
constexpr float kTwelfth = 0.0833333358f;  // 1/12 in single precision

float biasExponent(float bias) { return std::pow(3.0f, -(2.0f * bias - 1.0f)); }
}  // namespace

float warpPosition(float u, float pitchBias) { return std::pow(u, biasExponent(pitchBias)); }

float unwarpPosition(float a, float pitchBias) { return std::pow(a, 1.0f / biasExponent(pitchBias)); }

float fadePosition(float w, float loudest) {
  if (w < loudest) return std::fabs(loudest) >= kFadeEdge ? 0.5f * w / loudest : 0.0f;
  if (w > loudest) return std::fabs(1.0f - loudest) >= kFadeEdge ? 1.0f - 0.5f * (1.0f - w) / (1.0f - loudest) : 1.0f;
  return 0.5f;
}

float grooveAmplitude(float w, float volumeBias, float loudest) {
  float h = fadePosition(w, loudest);
  float base = 0.5f - 0.5f * std::cos(kTwoPi * h);
  return std::pow(base < 0.0f ? 0.0f : base, biasExponent(volumeBias));
}

float helixAngle(float a, float pitchBias, int32_t grooveCount, float phase) {
  return (unwarpPosition(a, pitchBias) * static_cast<float>(grooveCount) * 0.5f - phase * 0.5f) * kTwoPi;
}

void GrooveMotion::advance(float dt, float speed, int32_t grooveCount, const GrooveShape& shape) {
  const float count = static_cast<float>(grooveCount);
  // fmod rather than repeated subtraction: a huge step (an absurd sample
  // rate) must not loop for ever, and a non-finite one leaves the cycle where it was.
  float next = phase.load(std::memory_order_relaxed) + speed * dt / count;
  if (!std::isfinite(next)) next = phase.load(std::memory_order_relaxed);
  next = std::fmod(next, count);
  if (next < 0.0f) next += count;
  if (next >= count) next = 0.0f;
  phase.store(next, std::memory_order_relaxed);

  const float range = 48.0f * shape.range;
  for (int32_t i = 0; i < grooveCount; ++i) {
    float x = static_cast<float>(i) / count + next;
    float u = x - std::trunc(x);
    float w = warpPosition(u, shape.pitchBias);
    grooveGain[i] = grooveAmplitude(w, shape.volumeBias, shape.loudest);
    grooveRatio[i] = std::exp2((w * range - range / 2.0f) * kTwelfth);
  }
}

}  // namespace gyrelle
