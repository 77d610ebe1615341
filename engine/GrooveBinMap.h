// The source bin of every synthesis bin for each groove's ratio, worked out
// once per frame and shared by the channels. Plain data only.
#pragma once

#include <cstdint>

#include "engine/EngineConstants.h"

namespace gyrelle {

constexpr int32_t kLanesPerBlock = 8;                                   // bins per block of the remapping
constexpr int32_t kBinBlocks = (kBinCount + kLanesPerBlock - 1) / kLanesPerBlock;  // 65
constexpr int32_t kMappedBins = kBinBlocks * kLanesPerBlock;            // 520
constexpr int32_t kNoSource = 1 << 20;  // beyond the top bin: the bin takes nothing from this groove

struct GrooveBinMap {
  int32_t grooveCount = 0;
  float ratio[kMaxGrooves] = {};  // what each groove's map was made for
  // Blocks of bins that still have a source at or below the top bin; the
  // sources grow with the bin, so every later block has none.
  int32_t blocks[kMaxGrooves] = {};
  // At least the widest spread of sources within one of those blocks, in
  // 8-bin windows.
  int32_t windows[kMaxGrooves] = {};
  // source[g][k] = k / ratio truncated, for bins 0 to 512; kNoSource above.
  alignas(64) int32_t source[kMaxGrooves][kMappedBins] = {};
  // The same per block: the source of the block's first bin, and each bin's
  // distance from it (-1 for bin 0 and for a bin without a source).
  int32_t blockBase[kMaxGrooves][kBinBlocks] = {};
  alignas(64) int32_t offset[kMaxGrooves][kMappedBins] = {};
};

}  // namespace gyrelle
