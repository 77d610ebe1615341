#include "lv2/Lv2Effect.h"

#include <cmath>
#include <cstring>

#include "engine/DenormalGuard.h"
#include "engine/EngineConstants.h"
#include "lv2/PortValues.h"

namespace gyrelle::lv2 {

namespace {
// Runs are cut into pieces the processor's frame count can hold.
constexpr uint32_t kLongestPiece = 1u << 20;
}  // namespace

Lv2Effect::Lv2Effect(int32_t channelCount, double sampleRate)
    : channels(channelCount == 1 ? 1 : 2), effect(channels) {
  // A rate a float cannot hold falls back as NaN does.
  effect.setSampleRate(sampleRate > 0.0 && sampleRate < 1e30 ? static_cast<float>(sampleRate) : NAN);
  for (float& value : lastControl) value = NAN;
}

void Lv2Effect::connectPort(uint32_t index, void* location) {
  if (index < kControlPorts) {
    control[index] = static_cast<const float*>(location);
  } else if (index == kLatencyPort) {
    latency = static_cast<float*>(location);
  } else if (index == kGroovePhasePort) {
    groovePhase = static_cast<float*>(location);
  } else if (index >= kFirstAudioPort && index < kFirstAudioPort + static_cast<uint32_t>(channels)) {
    audioIn[index - kFirstAudioPort] = static_cast<const float*>(location);
  } else if (index >= kFirstAudioPort + static_cast<uint32_t>(channels) && index < portCount(channels)) {
    audioOut[index - kFirstAudioPort - static_cast<uint32_t>(channels)] = static_cast<float*>(location);
  }
}

void Lv2Effect::activate() {}

void Lv2Effect::deactivate() { effect.suspend(); }

// A port whose value is unchanged is not written again; NaN keeps the value
// the effect has, as a NaN parameter write does in the VST 2 build.
void Lv2Effect::readControls() {
  for (uint32_t k = 0; k < kControlPorts; ++k) {
    if (control[k] == nullptr) continue;
    const float value = *control[k];
    if (std::isnan(value) || std::memcmp(&value, &lastControl[k], sizeof value) == 0) continue;
    lastControl[k] = value;
    effect.writeParameter(static_cast<int32_t>(k), parameterFromPort(k, value));
  }
}

void Lv2Effect::run(uint32_t frames) {
  DenormalGuard guard;
  readControls();
  float* inputs[GrooveProcessor::kMaxChannels] = {const_cast<float*>(audioIn[0]), const_cast<float*>(audioIn[1])};
  for (uint32_t done = 0; done < frames;) {
    const uint32_t piece = frames - done < kLongestPiece ? frames - done : kLongestPiece;
    float* pieceIn[GrooveProcessor::kMaxChannels] = {};
    float* pieceOut[2] = {};
    for (int32_t ch = 0; ch < channels; ++ch) pieceIn[ch] = inputs[ch] != nullptr ? inputs[ch] + done : nullptr;
    for (int32_t ch = 0; ch < 2; ++ch) pieceOut[ch] = audioOut[ch] != nullptr ? audioOut[ch] + done : nullptr;
    effect.processStaged(pieceIn, pieceOut, static_cast<int32_t>(piece));
    done += piece;
  }
  if (latency != nullptr) *latency = static_cast<float>(kLatencyFrames);
  if (groovePhase != nullptr) *groovePhase = effect.currentGroovePhase();
}

}  // namespace gyrelle::lv2
