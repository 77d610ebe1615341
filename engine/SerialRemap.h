// One groove's pass of the remapping over a run of bins, the plain way.
// Internal linkage; included only by the frame loops' sources (see
// FrameKernelsBody.h).
#pragma once

#include <cstdint>

#include "engine/ChannelBuffers.h"
#include "engine/GrooveBinMap.h"

namespace gyrelle {
namespace {

// Groove g's pass over bins first .. first + count - 1, exactly as the plain
// loop over the bins does it: the loudest contribution wins each bin, and a
// bin still without a frequency inherits from the bin below (`below`).
inline void remapBinsSerially(const ChannelBuffers& buffers, const GrooveBinMap& map, int32_t g, float gain,
                              float ratio, int32_t first, int32_t count, float* mag, float* freq, float belowMag,
                              float belowFreq) {
  for (int32_t lane = 0; lane < count; ++lane) {
    const int32_t k = first + lane;
    const int32_t offset = k < kMappedBins ? map.offset[g][k] : kNoSource;
    if (offset != kNoSource) {
      const int32_t index = map.blockBase[g][k / kLanesPerBlock] + offset;
      const float v = buffers.binMag[index] * gain;
      if (v > mag[lane]) {
        mag[lane] = v;
        freq[lane] = buffers.binFreq[index] * ratio;
      }
      if (freq[lane] == 0.0f) {
        freq[lane] = lane > 0 ? freq[lane - 1] : belowFreq;
        mag[lane] = lane > 0 ? mag[lane - 1] : belowMag;
      }
    }
    belowMag = mag[lane];
    belowFreq = freq[lane];
  }
}

}  // namespace
}  // namespace gyrelle
