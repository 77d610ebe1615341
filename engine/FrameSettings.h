// What one frame needs to know, the same for every channel. Plain data only:
// the frame kernels, compiled once per instruction set, read it.
#pragma once

#include <cstdint>

namespace gyrelle {

struct GrooveBinMap;

struct FrameSettings {
  int32_t overlap;          // 2, 4, 8 or 16
  int32_t hop;              // kFrameSize / overlap
  float binSpacing;         // hertz between bins
  float expectedAdvance;    // phase advance of bin 1 over one hop
  int32_t grooveCount;
  const float* grooveRatio;
  const float* grooveGain;
  const GrooveBinMap* grooveBins;  // each groove's source bins for grooveRatio
  float wetGain;            // includes the transform's scaling and the groove count
  float dryGain;            // includes the dry path's one half
  const float* window;      // periodic Hann window, kFrameSize values
};

}  // namespace gyrelle
