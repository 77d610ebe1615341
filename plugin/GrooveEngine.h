// The effect as a VST 2 instance: owns the format-free processor and
// forwards the host's parameter writes, blocks, rate and suspend to it;
// adds the programs and their names, and the effect's texts.
#pragma once

#include <cstdint>

#include "engine/ChannelBuild.h"
#include "engine/GrooveProcessor.h"
#include "plugin/ProgramBank.h"
#include "host/HostedEffectEx.h"

namespace gyrelle {

class GrooveEngine : public HostedEffectEx {
 public:
  static constexpr int32_t kStagingFrames = GrooveProcessor::kStagingFrames;
  static constexpr int32_t kMaxChannels = GrooveProcessor::kMaxChannels;

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
  void changeSampleRate(float rate) override;
  void changeBlockSize(int32_t frames) override;
  void changeBlockSizeAndRate(int32_t frames, float rate) override;
  void onSuspend() override;
  bool copyEffectName(char* text) override;
  bool copyVendorText(char* text) override;
  bool copyProductText(char* text) override;

  // Any thread (the panel's groove display): the live groove state.
  float helixAngle(float position) const { return processor.helixAngle(position); }
  float grooveAmplitude(float position, float volumeBias) const {
    return processor.grooveAmplitude(position, volumeBias);
  }
  int32_t currentGrooveCount() const { return processor.currentGrooveCount(); }
  int32_t currentOverlap() const { return processor.currentOverlap(); }
  float currentGroovePhase() const { return processor.currentGroovePhase(); }
  // Audio thread, or a test with no block running.
  const GrooveMotion& grooveMotion() const { return processor.grooveMotion(); }
  int32_t channelCount() const { return processor.channelCount(); }
  float engineSampleRate() const { return processor.sampleRate(); }

 private:
  const char* const productSuffix;
  ProgramBank programs;
  GrooveProcessor processor;
};

}  // namespace gyrelle
