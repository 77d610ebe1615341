// The buffers of one channel that carry its state from frame to frame. Plain
// data only, aligned for the widest vector path; the bin arrays run past the
// top bin so that a vector may read a whole window beyond it.
#pragma once

#include <cstdint>

#include "engine/EngineConstants.h"

namespace gyrelle {

constexpr int32_t kPaddedBins = 576;  // bins 0 to 512, then room for a 32-bin window from bin 512

struct ChannelBuffers {
  alignas(64) float inputFrame[kFrameSize];
  alignas(64) float outputFrame[kFrameSize];
  alignas(64) float overlapSum[kFrameSize];
  alignas(64) float prevPhase[kPaddedBins];
  alignas(64) float binMag[kPaddedBins];
  alignas(64) float binFreq[kPaddedBins];
  alignas(64) float shiftMag[kPaddedBins];
  alignas(64) float shiftFreq[kPaddedBins];
  alignas(64) float synthPhase[kPaddedBins];
};

}  // namespace gyrelle
