// One instance of the LV2 plug-in: the processor and the host's port
// connections. Control ports are read at every run, in the units the panel
// shows; structural changes they make apply at the start of that run.
#pragma once

#include <cstdint>

#include "engine/GrooveProcessor.h"
#include "lv2/PortLayout.h"

namespace gyrelle::lv2 {

class Lv2Effect {
 public:
  // Host thread that instantiates: `channels` is 1 or 2.
  Lv2Effect(int32_t channels, double sampleRate);

  // Any thread the host uses for the instance (the audio thread included):
  // remembers where port `index` lives; unknown ports are ignored.
  void connectPort(uint32_t index, void* location);
  // Host thread (activate, deactivate): the stream resumes, or stops and
  // is cleared.
  void activate();
  void deactivate();
  // Audio thread: any number of frames, 0 included, in place or not.
  void run(uint32_t frames);

  const GrooveProcessor& processor() const { return effect; }

 private:
  void readControls();

  const int32_t channels;
  GrooveProcessor effect;
  const float* control[kControlPorts] = {};
  float lastControl[kControlPorts];  // the port values last written to the effect
  float* latency = nullptr;
  float* groovePhase = nullptr;
  const float* audioIn[GrooveProcessor::kMaxChannels] = {};
  float* audioOut[2] = {};
};

}  // namespace gyrelle::lv2
