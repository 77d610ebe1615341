// The effect itself, free of any plug-in format: the nine parameter values,
// the grooves' motion, the spectral pitch shifter and block processing for
// one or two channels, and the live groove state a display reads. A format
// binding owns one and forwards its host's calls to it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/EngineConstants.h"
#include "engine/FrameTransforms.h"
#include "engine/GrooveBinMap.h"
#include "engine/GrooveMotion.h"
#include "engine/SpectralChannel.h"
#include "engine/StreamOwnership.h"

namespace gyrelle {

class GrooveProcessor {
 public:
  static constexpr int32_t kStagingFrames = 4192;  // longer staged blocks are processed in pieces
  static constexpr int32_t kMaxChannels = 2;

  // The thread that builds the instance: `channels` is 1 or 2; every
  // parameter starts at its default.
  explicit GrooveProcessor(int32_t channels);
  ~GrooveProcessor();

  GrooveProcessor(const GrooveProcessor&) = delete;
  GrooveProcessor& operator=(const GrooveProcessor&) = delete;

  // Any thread, the audio thread included: clamps into 0..1 and ignores NaN
  // and indices outside 0..8. A structural change (render level, groove
  // count) applies at once while the stream is stopped, otherwise at the
  // start of the next block.
  void writeParameter(int32_t index, float value);
  // Any thread; 0 for an index outside 0..8.
  float readParameter(int32_t index) const;

  // Any thread: the rate the next block runs at; rates outside 1 Hz..10 MHz
  // (NaN included) run at 44100 Hz.
  void setSampleRate(float rate) { requestedRate.store(rate, std::memory_order_relaxed); }
  float sampleRate() const;

  // Any thread but the audio thread: the stream stops and starts again from
  // silence, now or, if a block is running, at the start of the next one.
  void suspend();

  // Audio thread. Both write, never add to, the outputs (two, either may be
  // null; the mono build copies its one channel to both). Inputs may be null
  // (silence) and may share memory with the outputs. A block that meets
  // another one still running gets silence.
  // Processes the block as it stands.
  void processBlock(float** inputs, float** outputs, int32_t frames);
  // Copies the inputs first, in pieces of at most kStagingFrames.
  void processStaged(float** inputs, float** outputs, int32_t frames);

  // Any thread (displays): the live groove state.
  float helixAngle(float position) const;
  float grooveAmplitude(float position, float volumeBias) const;
  int32_t currentGrooveCount() const { return grooveCount.load(std::memory_order_relaxed); }
  int32_t currentOverlap() const { return overlap.load(std::memory_order_relaxed); }
  float currentGroovePhase() const { return motion.currentPhase(); }
  // Audio thread, or a test with no block running.
  const GrooveMotion& grooveMotion() const { return motion; }
  int32_t channelCount() const { return channels; }

 private:
  float parameter(int32_t index) const { return paramValue[index].load(std::memory_order_relaxed); }
  // The stream's owner only.
  void applySettings();
  void resetStream();
  void runBlock(float** inputs, float** outputs, int32_t frames);
  void frameComplete(int32_t hop, float rate);
  // Any thread but the audio thread: a structural change applies now unless processing has begun.
  void applySettingsIfIdle();

  const int32_t channels;
  std::atomic<float> paramValue[kNumParams];
  std::atomic<float> requestedRate{44100.0f};
  std::atomic<int32_t> overlap{4};
  std::atomic<int32_t> grooveCount{4};
  // True from the first block after construction or a resume until the next
  // suspend: structural changes then wait for the start of a block.
  std::atomic<bool> settingsDeferred{true};
  std::atomic<bool> resetRequested{false};  // a suspend found a block running
  StreamOwnership stream;

  GrooveMotion motion;
  int32_t framePos = 0;  // 0: the stream has not started
  alignas(64) float hannWindow[kFrameSize];
  FrameTransforms transforms;
  GrooveBinMap grooveBins;  // this frame's source bins, shared by the channels
  std::unique_ptr<SpectralChannel[]> channelState;
  std::unique_ptr<float[]> stagingInput;  // kStagingFrames per channel
};

}  // namespace gyrelle
