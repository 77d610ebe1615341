// The effect engine: parameters and programs, the grooves' motion, the
// spectral pitch shifter and block processing, for one or two channels.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/ChannelBuild.h"
#include "engine/EngineConstants.h"
#include "engine/FrameTransforms.h"
#include "engine/GrooveBinMap.h"
#include "engine/GrooveMotion.h"
#include "engine/ProgramBank.h"
#include "engine/SpectralChannel.h"
#include "engine/StreamOwnership.h"
#include "host/HostedEffectEx.h"

namespace gyrelle {

class GrooveEngine : public HostedEffectEx {
 public:
  static constexpr int32_t kStagingFrames = 4192;  // longer replacing blocks are processed in pieces
  static constexpr int32_t kMaxChannels = 2;

  // Host thread that loads the instance.
  GrooveEngine(audioMasterCallback callback, const ChannelBuild& build);
  ~GrooveEngine() override;

  // Any host thread, the audio thread included: clamps into 0..1, ignores NaN.
  void writeParameter(int32_t index, float value) override;
  // Any thread.
  float readParameter(int32_t index) override;
  // Audio thread.
  void processAccumulate(float** inputs, float** outputs, int32_t frames) override;
  void processReplace(float** inputs, float** outputs, int32_t frames) override;
  // Dispatcher threads.
  void selectProgram(int32_t program) override;
  void renameProgram(const char* text) override;
  void copyProgramName(char* text) override;
  void copyParameterUnit(int32_t index, char* text) override;
  void copyParameterText(int32_t index, char* text) override;
  void copyParameterName(int32_t index, char* text) override;
  void changeBlockSize(int32_t frames) override;
  void onSuspend() override;
  bool copyEffectName(char* text) override;
  bool copyVendorText(char* text) override;
  bool copyProductText(char* text) override;

  // Any thread (the panel's groove display): the live groove state.
  float helixAngle(float position) const;
  float grooveAmplitude(float position, float volumeBias) const;
  int32_t currentGrooveCount() const { return grooveCount.load(std::memory_order_relaxed); }
  int32_t currentOverlap() const { return overlap.load(std::memory_order_relaxed); }
  float currentGroovePhase() const { return motion.currentPhase(); }
  // Audio thread, or a test with no block running.
  const GrooveMotion& grooveMotion() const { return motion; }
  int32_t channelCount() const { return channels; }
  float engineSampleRate() const;

 private:
  float parameter(int32_t index) const { return paramValue[index].load(std::memory_order_relaxed); }
  // The stream's owner only.
  void applySettings();
  void resetStream();
  void runBlock(float** inputs, float** outputs, int32_t frames);
  void frameComplete(int32_t hop, float rate);
  // Dispatcher threads: a structural change applies now unless processing has begun.
  void applySettingsIfIdle();

  const int32_t channels;
  const char* const productSuffix;
  ProgramBank programs;
  std::atomic<float> paramValue[kNumParams];
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
