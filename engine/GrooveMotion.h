// The grooves' common cycle: where each groove sits in the pitch range, its
// pitch ratio and its fade gain. The shaping functions are free so that the
// panel's display can draw the same curves.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/EngineConstants.h"

namespace gyrelle {

// Raw parameter values (0..1) the motion is shaped by.
struct GrooveShape {
  float range;
  float pitchBias;
  float volumeBias;
  float loudest;
};

// u^(3^-pb), pb = 2 * pitchBias - 1: bends the evenly spaced positions toward one end.
float warpPosition(float u, float pitchBias);
float unwarpPosition(float a, float pitchBias);
// Stretches positions so that the loudest position lands on 0.5.
float fadePosition(float w, float loudest);
// Raised-cosine fade at warped position w, shaped by a volume bias value.
float grooveAmplitude(float w, float volumeBias, float loudest);
// Angle of the displayed helix at warped position a.
float helixAngle(float a, float pitchBias, int32_t grooveCount, float phase);

class GrooveMotion {
 public:
  static constexpr float kResetPhase = 0.5f;

  // Audio thread (or a thread that owns the stream): back to the start of the cycle.
  void reset() { phase.store(kResetPhase, std::memory_order_relaxed); }

  // Audio thread, once per frame: moves the cycle on by dt seconds and
  // recomputes every active groove's ratio and gain.
  void advance(float dt, float speedHz, int32_t grooveCount, const GrooveShape& shape);

  // Any thread (the display reads it while the audio thread moves it).
  float currentPhase() const { return phase.load(std::memory_order_relaxed); }

  // Audio thread.
  const float* ratios() const { return grooveRatio; }
  const float* gains() const { return grooveGain; }

 private:
  std::atomic<float> phase{kResetPhase};  // in [0, grooveCount); written by the audio thread only
  float grooveRatio[kMaxGrooves] = {};
  float grooveGain[kMaxGrooves] = {};
};

}  // namespace gyrelle
