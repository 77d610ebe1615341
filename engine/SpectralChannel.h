// One channel of the spectral groove pitch shifter: the frame buffers that
// carry its state from frame to frame, and the frame operation itself.
#pragma once

#include <cstdint>

#include "engine/ChannelBuffers.h"
#include "engine/EngineConstants.h"
#include "engine/FrameKernels.h"
#include "engine/FrameSettings.h"

namespace gyrelle {

class FrameTransforms;

class SpectralChannel {
 public:
  // Any host thread that builds an instance: takes the frame loops the CPU
  // runs best (or the ones a test forced).
  SpectralChannel();

  // Zeroes every buffer that carries state: the channel starts from silence.
  void clear();

  // Audio thread. The newest input sample goes to inputFrame[kFrameSize - 1].
  float* inputFrame() { return buffers.inputFrame; }
  // Audio thread. The first `hop` values are the output of the next hop.
  const float* outputFrame() const { return buffers.outputFrame; }

  // Audio thread, once per completed frame. Computes the next hop's output and
  // shifts the input and the overlap-add accumulator on by one hop. A frame
  // whose numbers stop being finite (absurdly loud input) clears the channel.
  void processFrame(const FrameSettings& settings, FrameTransforms& transforms);

  const FrameKernels& frameKernels() const { return *kernels; }

 private:
  void advance(int32_t hop);

  const FrameKernels* kernels;
  ChannelBuffers buffers;
};

}  // namespace gyrelle
