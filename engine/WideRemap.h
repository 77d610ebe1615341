// The groove remapping at AVX2 width. Internal linkage; included only by the
// frame loops' sources (see FrameKernelsBody.h).
//
// Within one groove's pass the source bin grows with the synthesis bin, so
// the eight bins of a block read their sources from one short window of the
// analysis: loaded whole and permuted into place instead of gathered. The
// comparisons of a pass are independent of each other; only the hole
// filling runs along the bins, and it is a running maximum within a block.
// The result is exactly the plain loop's.
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "engine/ChannelBuffers.h"
#include "engine/FrameSettings.h"
#include "engine/GrooveBinMap.h"
#include "engine/SerialRemap.h"

namespace gyrelle {
namespace {

// The values at `offset` (0 to 8 * Windows - 1) from `window`.
template <int Windows>
inline __m256 lookUp(const float* window, __m256i offset) {
  __m256 r = _mm256_permutevar8x32_ps(_mm256_loadu_ps(window), offset);
  for (int w = 1; w < Windows; ++w) {
    const __m256 next = _mm256_permutevar8x32_ps(_mm256_loadu_ps(window + 8 * w), offset);
    const __m256i beyond = _mm256_cmpgt_epi32(offset, _mm256_set1_epi32(8 * w - 1));
    r = _mm256_blendv_ps(r, next, _mm256_castsi256_ps(beyond));
  }
  return r;
}

// A hole takes the values of the bin below once that bin is final, so a run
// of holes takes those of the last bin before it that is none: found for
// every bin at once by a running maximum of bin numbers, from the bin below
// the block (already final in memory) when the block starts with holes.
inline void fillHoles(__m256 holes, int32_t first, __m256 mag, __m256 freq, float* mags, float* freqs) {
  const __m256i none = _mm256_set1_epi32(-1);
  __m256i from = _mm256_blendv_epi8(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), none, _mm256_castps_si256(holes));
  from = _mm256_max_epi32(from, _mm256_blend_epi32(_mm256_permutevar8x32_epi32(from, _mm256_setr_epi32(0, 0, 1, 2, 3, 4, 5, 6)), none, 0x01));
  from = _mm256_max_epi32(from, _mm256_blend_epi32(_mm256_permutevar8x32_epi32(from, _mm256_setr_epi32(0, 0, 0, 1, 2, 3, 4, 5)), none, 0x03));
  from = _mm256_max_epi32(from, _mm256_blend_epi32(_mm256_permutevar8x32_epi32(from, _mm256_setr_epi32(0, 0, 0, 0, 0, 1, 2, 3)), none, 0x0f));
  const __m256 fromBelow = _mm256_castsi256_ps(_mm256_cmpgt_epi32(_mm256_setzero_si256(), from));
  // Bin 0 is never a hole, so only a later block can start with one.
  const __m256 belowMag = _mm256_set1_ps(first > 0 ? mags[-1] : 0.0f);
  const __m256 belowFreq = _mm256_set1_ps(first > 0 ? freqs[-1] : 0.0f);
  _mm256_store_ps(mags, _mm256_blendv_ps(_mm256_permutevar8x32_ps(mag, from), belowMag, fromBelow));
  _mm256_store_ps(freqs, _mm256_blendv_ps(_mm256_permutevar8x32_ps(freq, from), belowFreq, fromBelow));
}

// One block of one groove's pass. Masked: the block has bins without a
// source (negative offsets), which take no part.
template <int Windows, bool Masked>
inline void remapBlock(ChannelBuffers& buffers, const GrooveBinMap& map, int32_t g, int32_t block, __m256 gain,
                       __m256 ratio) {
  const int32_t first = block * kLanesPerBlock;
  const int32_t base = map.blockBase[g][block];
  const __m256i offset =
      _mm256_cvtepi16_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(map.offset[g] + first)));
  float* mags = buffers.shiftMag + first;
  float* freqs = buffers.shiftFreq + first;
  const __m256 mag = _mm256_load_ps(mags);
  const __m256 freq = _mm256_load_ps(freqs);
  const __m256 v = _mm256_mul_ps(lookUp<Windows>(buffers.binMag + base, offset), gain);
  const __m256 sourceFreq = lookUp<Windows>(buffers.binFreq + base, offset);
  __m256 wins = _mm256_cmp_ps(v, mag, _CMP_GT_OQ);
  __m256 active = wins;
  if (Masked) {
    active = _mm256_castsi256_ps(_mm256_cmpgt_epi32(offset, _mm256_set1_epi32(-1)));
    wins = _mm256_and_ps(wins, active);
  }
  const __m256 newFreq = _mm256_blendv_ps(freq, _mm256_mul_ps(sourceFreq, ratio), wins);
  __m256 holes = _mm256_cmp_ps(newFreq, _mm256_setzero_ps(), _CMP_EQ_OQ);
  if (Masked) holes = _mm256_and_ps(holes, active);
  const __m256 newMag = _mm256_blendv_ps(mag, v, wins);
  if (_mm256_movemask_ps(holes) != 0) {
    fillHoles(holes, first, newMag, newFreq, mags, freqs);
    return;
  }
  _mm256_store_ps(mags, newMag);
  _mm256_store_ps(freqs, newFreq);
}

// One groove's pass: the first block holds bin 0, the last may hold bins
// without a source; the blocks between are whole.
template <int Windows>
void remapGroove(ChannelBuffers& buffers, const GrooveBinMap& map, int32_t g, float gain, float ratio) {
  const int32_t blocks = map.blocks[g];
  if (blocks == 0) return;
  const __m256 gains = _mm256_set1_ps(gain);
  const __m256 ratios = _mm256_set1_ps(ratio);
  remapBlock<Windows, true>(buffers, map, g, 0, gains, ratios);
  for (int32_t block = 1; block < blocks - 1; ++block) remapBlock<Windows, false>(buffers, map, g, block, gains, ratios);
  if (blocks > 1) remapBlock<Windows, true>(buffers, map, g, blocks - 1, gains, ratios);
}

void remapWide(const FrameSettings& settings, ChannelBuffers& buffers) {
  const GrooveBinMap& map = *settings.grooveBins;
  for (int32_t k = 0; k < kMappedBins; k += kLanesPerBlock) {
    _mm256_store_ps(buffers.shiftMag + k, _mm256_setzero_ps());
    _mm256_store_ps(buffers.shiftFreq + k, _mm256_setzero_ps());
  }
  for (int32_t g = 0; g < settings.grooveCount; ++g) {
    const float gain = settings.grooveGain[g];
    const float ratio = settings.grooveRatio[g];
    switch (map.windows[g]) {
      case 1: remapGroove<1>(buffers, map, g, gain, ratio); break;
      case 2: remapGroove<2>(buffers, map, g, gain, ratio); break;
      case 3: remapGroove<3>(buffers, map, g, gain, ratio); break;
      case 4: remapGroove<4>(buffers, map, g, gain, ratio); break;
      default:  // sources too far apart for a window
        remapBinsSerially(buffers, map, g, gain, ratio, 0, kBinCount, buffers.shiftMag, buffers.shiftFreq, 0.0f,
                          0.0f);
        break;
    }
  }
}

}  // namespace
}  // namespace gyrelle
