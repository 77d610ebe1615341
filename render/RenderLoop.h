// The block loop: reads the source, feeds the effect block by block, writes
// parameter ramps between blocks and hands on the output with the effect's
// latency taken out.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "render/PluginHost.h"
#include "render/SoundFiles.h"

namespace gyrelle::render {

struct ResolvedRamp {
  int index = 0;
  float from = 0.0f;
  float to = 0.0f;
};

struct RenderPlan {
  int blockSize = 512;
  // The source has 2 channels and the effect 1 input: feed their mean.
  bool downmix = false;
  // Feed initialDelay frames of silence at the end and drop as many at the
  // start, so the output lines up with the input.
  bool compensateLatency = true;
  std::vector<ResolvedRamp> ramps;
};

// Interleaved frames with the source's channel count.
using FrameSink = std::function<void(const float* interleaved, int64_t frames)>;

// The ramp's value for a block starting at frame position of a source of
// length frames: from at the first frame, to at the last. Main thread; pure.
float rampValueAt(const ResolvedRamp& ramp, int64_t position, int64_t frames);

// Runs the whole source through the effect, which must be open and stopped;
// starts and stops it. Output frames go to output (as many channels as the
// source: channel c is the effect's output c, or its last output when it has
// fewer), the source's own frames to input when given. progress receives the
// fraction done after each block. Answers the number of frames written.
// Throws RenderError when interrupted. Main thread.
int64_t renderThrough(PluginHost& effect, SoundSource& source, const RenderPlan& plan,
                      const FrameSink& output, const FrameSink& input,
                      const std::function<void(double)>& progress);

}  // namespace gyrelle::render
