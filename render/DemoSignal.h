// The built-in demo input: a few seconds of a synthesised chord played in a
// simple rhythm, so that the renderer can show the effect with no file at hand.
#pragma once

#include <vector>

#include "render/SoundFiles.h"

namespace gyrelle::render {

class DemoSignal : public SoundSource {
 public:
  static constexpr int kSampleRate = 44100;
  static constexpr int kChannels = 2;
  static constexpr double kSeconds = 8.0;

  // Synthesises the whole signal at once (under 3 MB). Main thread; the
  // other members too, reading and advancing only this object.
  DemoSignal();

  int channels() const override { return kChannels; }
  int sampleRate() const override { return kSampleRate; }
  int64_t frames() const override { return static_cast<int64_t>(samples_.size() / kChannels); }
  SoundFormat format() const override;
  int64_t read(float* interleaved, int64_t count) override;

 private:
  std::vector<float> samples_;  // interleaved stereo
  int64_t position_ = 0;
};

}  // namespace gyrelle::render
