// One channel of the spectral groove pitch shifter: the frame buffers that
// carry its state from frame to frame, and the frame operation itself.
#pragma once

#include <cstdint>

#include "engine/EngineConstants.h"

namespace gyrelle {

class FrameTransforms;

// What one frame needs to know, the same for every channel.
struct FrameSettings {
  int32_t overlap;          // 2, 4, 8 or 16
  int32_t hop;              // kFrameSize / overlap
  float binSpacing;         // hertz between bins
  float expectedAdvance;    // phase advance of bin 1 over one hop
  int32_t grooveCount;
  const float* grooveRatio;
  const float* grooveGain;
  float wetGain;            // includes the transform's scaling and the groove count
  float dryGain;            // includes the dry path's one half
  const float* window;      // periodic Hann window, kFrameSize values
};

class SpectralChannel {
 public:
  // Zeroes every buffer that carries state: the channel starts from silence.
  void clear();

  // Audio thread. The newest input sample goes to inputFrame[kFrameSize - 1].
  float* inputFrame() { return inputBuffer; }
  // Audio thread. The first `hop` values are the output of the next hop.
  const float* outputFrame() const { return outputBuffer; }

  // Audio thread, once per completed frame. Computes the next hop's output and
  // shifts the input and the overlap-add accumulator on by one hop. A frame
  // whose numbers stop being finite (absurdly loud input) clears the channel.
  void processFrame(const FrameSettings& settings, FrameTransforms& transforms);

 private:
  bool analyse(const FrameSettings& settings, const FrameTransforms& transforms);
  void remap(const FrameSettings& settings);
  void synthesise(const FrameSettings& settings, FrameTransforms& transforms);
  bool overlapAdd(const FrameSettings& settings, const FrameTransforms& transforms);
  void advance(int32_t hop);

  float inputBuffer[kFrameSize];
  float outputBuffer[kFrameSize];
  float overlapSum[kFrameSize];
  float prevPhase[kBinCount];
  float binMag[kBinCount];
  float binFreq[kBinCount];
  float shiftMag[kBinCount];
  float shiftFreq[kBinCount];
  float synthPhase[kBinCount];
};

}  // namespace gyrelle
