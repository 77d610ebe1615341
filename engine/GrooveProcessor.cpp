#include "engine/GrooveProcessor.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/ParameterTable.h"

namespace gyrelle {

namespace {

constexpr float kFallbackRate = 44100.0f;
// Rates the frequency arithmetic stays exact over: far beyond audio at both
// ends, yet far from where a bin spacing of rate/1024 would flush to zero or
// a frequency overflow.
constexpr float kLowestRate = 1.0f;
constexpr float kHighestRate = 1e7f;
constexpr float kLevelScale = 1.2f;

bool validParameter(int32_t index) { return static_cast<uint32_t>(index) < static_cast<uint32_t>(kNumParams); }

// A block nobody may process right now still gets defined output.
void writeSilence(float** outputs, int32_t frames) {
  for (int32_t ch = 0; ch < 2; ++ch) {
    if (outputs[ch] != nullptr) std::fill(outputs[ch], outputs[ch] + frames, 0.0f);
  }
}

}  // namespace

GrooveProcessor::GrooveProcessor(int32_t channelCount)
    : channels(channelCount == 1 ? 1 : 2),
      channelState(new SpectralChannel[static_cast<size_t>(channels)]),
      stagingInput(new float[static_cast<size_t>(channels) * kStagingFrames]()) {
  for (int32_t k = 0; k < kNumParams; ++k) paramValue[k].store(parameterInfo(k)->defaultValue);
  overlap.store(overlapForRenderLevel(parameter(kRenderLevel)));
  grooveCount.store(grooveCountFor(parameter(kNumGrooves)));
  for (int32_t i = 0; i < kFrameSize; ++i) {
    hannWindow[i] = 0.5f - 0.5f * std::cos(kTwoPi * static_cast<float>(i) / static_cast<float>(kFrameSize));
  }
  resetStream();
  // A fresh instance applies structural changes at once.
  settingsDeferred.store(false);
}

GrooveProcessor::~GrooveProcessor() = default;

// --- Parameters ---

void GrooveProcessor::writeParameter(int32_t index, float value) {
  if (validParameter(index)) {
    if (std::isnan(value)) return;
    paramValue[index].store(clampParameter(value), std::memory_order_relaxed);
  }
  applySettingsIfIdle();
}

float GrooveProcessor::readParameter(int32_t index) const { return validParameter(index) ? parameter(index) : 0.0f; }

float GrooveProcessor::sampleRate() const {
  const float rate = requestedRate.load(std::memory_order_relaxed);
  return rate >= kLowestRate && rate <= kHighestRate ? rate : kFallbackRate;  // false for NaN too
}

// --- Structural settings and the stream ---

void GrooveProcessor::applySettingsIfIdle() {
  if (settingsDeferred.load(std::memory_order_acquire)) return;
  StreamTurn turn(stream);
  // A block that started meanwhile applies the change itself.
  if (turn) applySettings();
}

void GrooveProcessor::applySettings() {
  const int32_t newOverlap = overlapForRenderLevel(parameter(kRenderLevel));
  if (newOverlap != overlap.load(std::memory_order_relaxed)) {
    overlap.store(newOverlap, std::memory_order_relaxed);
    resetStream();
  }
  const int32_t newCount = grooveCountFor(parameter(kNumGrooves));
  if (newCount != grooveCount.load(std::memory_order_relaxed)) {
    grooveCount.store(newCount, std::memory_order_relaxed);
    resetStream();
  }
}

void GrooveProcessor::resetStream() {
  motion.reset();
  for (int32_t ch = 0; ch < channels; ++ch) channelState[ch].clear();
  framePos = 0;
}

void GrooveProcessor::suspend() {
  settingsDeferred.store(false, std::memory_order_release);
  StreamTurn turn(stream);
  if (turn) {
    resetStream();
  } else {
    resetRequested.store(true, std::memory_order_release);
  }
}

// --- Block processing ---

void GrooveProcessor::processBlock(float** inputs, float** outputs, int32_t frames) {
  if (frames <= 0 || outputs == nullptr) return;
  StreamTurn turn(stream);
  if (!turn) {
    writeSilence(outputs, frames);
    return;
  }
  runBlock(inputs, outputs, frames);
}

void GrooveProcessor::processStaged(float** inputs, float** outputs, int32_t frames) {
  if (frames <= 0 || outputs == nullptr) return;
  StreamTurn turn(stream);
  if (!turn) {
    writeSilence(outputs, frames);
    return;
  }
  // The inputs are copied first, so the host may pass the same buffers as outputs.
  for (int32_t offset = 0; offset < frames; offset += kStagingFrames) {
    const int32_t piece = std::min(kStagingFrames, frames - offset);
    float* staged[kMaxChannels] = {};
    float* pieceOutputs[2] = {};
    for (int32_t ch = 0; ch < channels; ++ch) {
      staged[ch] = stagingInput.get() + static_cast<size_t>(ch) * kStagingFrames;
      const float* source = inputs != nullptr ? inputs[ch] : nullptr;
      if (source != nullptr) {
        std::memcpy(staged[ch], source + offset, sizeof(float) * static_cast<size_t>(piece));
      } else {
        std::fill(staged[ch], staged[ch] + piece, 0.0f);
      }
    }
    for (int32_t ch = 0; ch < 2; ++ch) pieceOutputs[ch] = outputs[ch] != nullptr ? outputs[ch] + offset : nullptr;
    runBlock(staged, pieceOutputs, piece);
  }
}

void GrooveProcessor::runBlock(float** inputs, float** outputs, int32_t frames) {
  settingsDeferred.store(true, std::memory_order_release);
  // Looked at before the exchange: a locked exchange on every block costs more
  // than a one-sample block's own work.
  if (resetRequested.load(std::memory_order_acquire) && resetRequested.exchange(false, std::memory_order_acq_rel)) {
    resetStream();
  }
  applySettings();

  const float rate = sampleRate();
  const int32_t hop = kFrameSize / overlap.load(std::memory_order_relaxed);
  const int32_t kept = kFrameSize - hop;
  if (framePos == 0) framePos = kept;

  // Where each processed channel's output goes; the mono build writes channel 0
  // to whichever output exists and copies it to the other at the end.
  float* destination[kMaxChannels] = {outputs[0], outputs[1]};
  if (channels == 1 && destination[0] == nullptr) destination[0] = outputs[1];

  for (int32_t done = 0; done < frames;) {
    const int32_t count = std::min(frames - done, kFrameSize - framePos);
    // All inputs of the segment are read before any output is written.
    for (int32_t ch = 0; ch < channels; ++ch) {
      float* frame = channelState[ch].inputFrame() + framePos;
      const float* source = inputs != nullptr ? inputs[ch] : nullptr;
      for (int32_t i = 0; i < count; ++i) {
        const float sample = source != nullptr ? source[done + i] : 0.0f;
        frame[i] = std::isfinite(sample) ? sample : 0.0f;  // NaN and infinity count as silence
      }
    }
    for (int32_t ch = 0; ch < channels; ++ch) {
      if (destination[ch] == nullptr) continue;
      std::memcpy(destination[ch] + done, channelState[ch].outputFrame() + (framePos - kept),
                  sizeof(float) * static_cast<size_t>(count));
    }
    framePos += count;
    done += count;
    if (framePos == kFrameSize) frameComplete(hop, rate);
  }

  if (channels == 1 && outputs[0] != nullptr && outputs[1] != nullptr && outputs[0] != outputs[1]) {
    std::memcpy(outputs[1], outputs[0], sizeof(float) * static_cast<size_t>(frames));
  }
}

void GrooveProcessor::frameComplete(int32_t hop, float rate) {
  const int32_t count = grooveCount.load(std::memory_order_relaxed);
  const int32_t currentOverlapValue = overlap.load(std::memory_order_relaxed);
  const GrooveShape shape{parameter(kRange), parameter(kPitchBias), parameter(kVolumeBias), parameter(kLoudestPitch)};
  motion.advance(static_cast<float>(hop) / rate, speedHz(parameter(kSpeed)), count, shape);
  framePos = kFrameSize - hop;

  FrameSettings settings;
  settings.overlap = currentOverlapValue;
  settings.hop = hop;
  settings.binSpacing = rate * (1.0f / static_cast<float>(kFrameSize));
  settings.expectedAdvance = kPi * static_cast<float>(hop) * (1.0f / 512.0f);
  settings.grooveCount = count;
  settings.grooveRatio = motion.ratios();
  settings.grooveGain = motion.gains();
  channelState[0].frameKernels().mapGrooves(count, motion.ratios(), grooveBins);
  settings.grooveBins = &grooveBins;
  settings.wetGain = kLevelScale * parameter(kWetOutLvl) / (512.0f * static_cast<float>(currentOverlapValue)) * 2.0f /
                     std::sqrt(static_cast<float>(count));
  settings.dryGain = kLevelScale * parameter(kDryOutLvl) * 0.5f;
  settings.window = hannWindow;
  for (int32_t ch = 0; ch < channels; ++ch) channelState[ch].processFrame(settings, transforms);
}

// --- The live groove state for displays ---

float GrooveProcessor::helixAngle(float position) const {
  return gyrelle::helixAngle(position, parameter(kPitchBias), currentGrooveCount(), motion.currentPhase());
}

float GrooveProcessor::grooveAmplitude(float position, float volumeBias) const {
  return gyrelle::grooveAmplitude(position, volumeBias, parameter(kLoudestPitch));
}

}  // namespace gyrelle
