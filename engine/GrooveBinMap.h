// The source bin of every synthesis bin for each groove's ratio, worked out
// once per frame and shared by the channels. Plain data only.
#pragma once

#include <cstdint>

#include "engine/EngineConstants.h"

namespace gyrelle {

constexpr int32_t kLanesPerBlock = 8;                                              // bins per block of the remapping
constexpr int32_t kBinBlocks = (kBinCount + kLanesPerBlock - 1) / kLanesPerBlock;  // 65
constexpr int32_t kMappedBins = kBinBlocks * kLanesPerBlock;                       // 520
constexpr int16_t kNoSource = -1;

// A synthesis bin k takes, in groove g's pass, the analysis bin k / ratio
// (truncated, as single-precision arithmetic gives it) when that is at most
// the top bin. The sources grow with k, so they are kept per block of eight
// bins: the first bin's source and every bin's distance from it.
struct GrooveBinMap {
  int32_t grooveCount = 0;
  float ratio[kMaxGrooves] = {};  // what each groove's map was made for
  // Blocks of bins that have a source; every later block has none.
  int32_t blocks[kMaxGrooves] = {};
  // At least the widest spread of sources within one block, in 8-bin windows.
  int32_t windows[kMaxGrooves] = {};
  int32_t blockBase[kMaxGrooves][kBinBlocks] = {};
  // Distance of each bin's source from its block's base; kNoSource for bin 0
  // (never remapped) and for bins without a source.
  alignas(64) int16_t offset[kMaxGrooves][kMappedBins] = {};
};

}  // namespace gyrelle
