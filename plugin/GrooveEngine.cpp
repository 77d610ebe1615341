#include "plugin/GrooveEngine.h"

#include <cmath>
#include <cstring>

#include "engine/ParameterTable.h"
#include "host/EditorBase.h"

namespace gyrelle {

namespace {

constexpr char kEffectName[] = "Gyrelle v1.4";
constexpr char kVendorName[] = "QuillfenSoundSoftware";

bool validParameter(int32_t index) { return static_cast<uint32_t>(index) < static_cast<uint32_t>(kNumParams); }

}  // namespace

GrooveEngine::GrooveEngine(audioMasterCallback callback, const ChannelBuild& build)
    : HostedEffectEx(callback, kNumPrograms, kNumParams),
      productSuffix(build.productSuffix),
      processor(build.channels) {
  selectProgram(0);
  processor.setSampleRate(currentSampleRate());

  assignInputCount(processor.channelCount());
  assignOutputCount(2);
  declareReplacing(true);
  assignUniqueId(build.uniqueId);
  declareMonoCapable(true);
  declareNoTail(true);
  assignInitialDelay(kLatencyFrames);
}

GrooveEngine::~GrooveEngine() = default;

// --- Parameters and programs ---

void GrooveEngine::writeParameter(int32_t index, float value) {
  if (validParameter(index) && !std::isnan(value)) {
    programs.setValue(programIndex.load(std::memory_order_relaxed), index, clampParameter(value));
  }
  processor.writeParameter(index, value);
  if (attachedEditor != nullptr) attachedEditor->requestRefresh();
}

float GrooveEngine::readParameter(int32_t index) { return processor.readParameter(index); }

void GrooveEngine::selectProgram(int32_t program) {
  if (!ProgramBank::validProgram(program)) return;
  programIndex.store(program, std::memory_order_relaxed);
  for (int32_t k = 0; k < kNumParams; ++k) writeParameter(k, programs.value(program, k));
}

void GrooveEngine::renameProgram(const char* text) {
  programs.rename(programIndex.load(std::memory_order_relaxed), text);
}

void GrooveEngine::copyProgramName(char* text) {
  programs.copyName(programIndex.load(std::memory_order_relaxed), text);
}

void GrooveEngine::copyParameterUnit(int32_t index, char* text) {
  if (const ParameterInfo* info = parameterInfo(index)) std::strcpy(text, info->label);
}

void GrooveEngine::copyParameterText(int32_t index, char* text) {
  if (validParameter(index)) parameterValueText(index, processor.readParameter(index), text);
}

void GrooveEngine::copyParameterName(int32_t index, char* text) {
  if (const ParameterInfo* info = parameterInfo(index)) std::strcpy(text, info->name);
}

bool GrooveEngine::copyEffectName(char* text) {
  std::strcpy(text, kEffectName);
  return true;
}

bool GrooveEngine::copyVendorText(char* text) {
  std::strcpy(text, kVendorName);
  return true;
}

bool GrooveEngine::copyProductText(char* text) {
  copyEffectName(text);
  std::strcat(text, productSuffix);
  return true;
}

// --- Rate, block size and the stream ---

void GrooveEngine::changeSampleRate(float rate) {
  HostedEffectEx::changeSampleRate(rate);
  processor.setSampleRate(currentSampleRate());
}

void GrooveEngine::changeBlockSizeAndRate(int32_t frames, float rate) {
  HostedEffectEx::changeBlockSizeAndRate(frames, rate);
  processor.setSampleRate(currentSampleRate());
}

// The staging buffers have a fixed size: a longer block is processed in
// pieces, so nothing is reallocated while the audio thread might use it.
void GrooveEngine::changeBlockSize(int32_t frames) { blockLength.store(frames, std::memory_order_relaxed); }

void GrooveEngine::onSuspend() { processor.suspend(); }

// --- Block processing ---

void GrooveEngine::processAccumulate(float** inputs, float** outputs, int32_t frames) {
  processor.processBlock(inputs, outputs, frames);
}

void GrooveEngine::processReplace(float** inputs, float** outputs, int32_t frames) {
  processor.processStaged(inputs, outputs, frames);
}

}  // namespace gyrelle
