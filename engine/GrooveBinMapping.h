// Builds the GrooveBinMap for one instruction set. Internal linkage; included
// only by the frame loops' sources (see FrameKernelsBody.h).
#pragma once

#include <cstdint>

#if defined(__AVX2__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/GrooveBinMap.h"

namespace gyrelle {
namespace {

constexpr float kTopBinValue = static_cast<float>(kFrameSize / 2);

// The sources of bins first .. first + 7 (0 .. 519) for one ratio, one at a
// time: k / ratio truncated, none beyond the top bin (or for a ratio that
// gives no number). Answers the first bin's source, or kNoSource.
inline int32_t sourcesOfBlockPlainly(int32_t first, float ratio, int16_t* offset) {
  int32_t source[kLanesPerBlock];
  for (int32_t lane = 0; lane < kLanesPerBlock; ++lane) {
    const float k = static_cast<float>(first + lane);
    const float q = k / ratio;
    const bool inRange = k <= kTopBinValue && q >= 0.0f && q < kTopBinValue + 1.0f;
    source[lane] = inRange ? static_cast<int32_t>(q) : kNoSource;
  }
  for (int32_t lane = 0; lane < kLanesPerBlock; ++lane) {
    const bool mapped = source[lane] != kNoSource && first + lane > 0;
    offset[lane] = static_cast<int16_t>(mapped ? source[lane] - source[0] : kNoSource);
  }
  return source[0];
}

#if defined(__AVX2__)
// The same eight at once, for a block of bins all at or below the top bin
// other than the first, and a ratio from 1/64 to 64. k times the reciprocal
// is within 1e-4 of the true quotient for every source up to the top bin, so
// its whole part is the truncated quotient unless it lies that close to a
// whole number: only such a block (ratios close to simple fractions) is
// divided.
inline int32_t sourcesOfBlock(__m256 k, float ratio, float reciprocal, int16_t* offset) {
  constexpr float kMargin = 1.0f / 4096.0f;
  const __m256 q = _mm256_mul_ps(k, _mm256_set1_ps(reciprocal));
  __m256i whole = _mm256_cvttps_epi32(_mm256_add_ps(q, _mm256_set1_ps(kMargin)));
  const __m256i lower = _mm256_cvttps_epi32(_mm256_sub_ps(q, _mm256_set1_ps(kMargin)));
  if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(whole, lower)) != -1) {
    whole = _mm256_cvttps_epi32(_mm256_div_ps(k, _mm256_set1_ps(ratio)));
  }
  const __m256i mapped = _mm256_cmpgt_epi32(_mm256_set1_epi32(kFrameSize / 2 + 1), whole);
  if ((_mm256_movemask_ps(_mm256_castsi256_ps(mapped)) & 1) == 0) return kNoSource;  // the first bin has none
  const int32_t base = _mm_cvtsi128_si32(_mm256_castsi256_si128(whole));
  const __m256i distance = _mm256_blendv_epi8(_mm256_set1_epi32(kNoSource),
                                              _mm256_sub_epi32(whole, _mm256_set1_epi32(base)), mapped);
  const __m128i packed = _mm_packs_epi32(_mm256_castsi256_si128(distance), _mm256_extracti128_si256(distance, 1));
  _mm_store_si128(reinterpret_cast<__m128i*>(offset), packed);
  return base;
}
#elif defined(__SSE2__)
// The same eight at once, four at a time, by division.
inline int32_t sourcesOfBlock(int32_t first, float ratio, int16_t* offset) {
  __m128i whole[2], mapped[2];
  for (int32_t half = 0; half < 2; ++half) {
    const __m128 k = _mm_add_ps(_mm_set1_ps(static_cast<float>(first + 4 * half)), _mm_setr_ps(0, 1, 2, 3));
    const __m128 q = _mm_div_ps(k, _mm_set1_ps(ratio));
    const __m128 inRange = _mm_and_ps(_mm_and_ps(_mm_cmple_ps(k, _mm_set1_ps(kTopBinValue)), _mm_cmpge_ps(q, _mm_setzero_ps())),
                                      _mm_cmplt_ps(q, _mm_set1_ps(kTopBinValue + 1.0f)));
    whole[half] = _mm_cvttps_epi32(_mm_and_ps(q, inRange));
    mapped[half] = _mm_castps_si128(inRange);
  }
  if ((_mm_movemask_ps(_mm_castsi128_ps(mapped[0])) & 1) == 0) return kNoSource;  // the first bin has none
  const int32_t base = _mm_cvtsi128_si32(whole[0]);
  if (first == 0) mapped[0] = _mm_and_si128(mapped[0], _mm_setr_epi32(0, -1, -1, -1));
  __m128i distance[2];
  for (int32_t half = 0; half < 2; ++half) {
    const __m128i d = _mm_sub_epi32(whole[half], _mm_set1_epi32(base));
    distance[half] = _mm_or_si128(_mm_and_si128(mapped[half], d), _mm_andnot_si128(mapped[half], _mm_set1_epi32(kNoSource)));
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(offset), _mm_packs_epi32(distance[0], distance[1]));
  return base;
}
#endif

// A groove whose ratio has not changed keeps its map.
void mapGrooves(int32_t grooveCount, const float* ratios, GrooveBinMap& map) {
  constexpr int32_t kTopBin = kFrameSize / 2;
  static_assert(kLanesPerBlock == 8, "blocks of eight bins");
  map.grooveCount = grooveCount;
  for (int32_t g = 0; g < grooveCount; ++g) {
    const float ratio = ratios[g];
    if (map.ratio[g] == ratio) continue;
    map.ratio[g] = ratio;
    int16_t* __restrict offset = map.offset[g];
#if defined(__AVX2__)
    // Only for ratios where every source in range is below 2^24 / 8 in size.
    const bool multiply = ratio >= 1.0f / 64.0f && ratio <= 64.0f;
    const float reciprocal = 1.0f / ratio;
#endif
    int32_t block = 0;
    for (; block < kBinBlocks; ++block) {
      const int32_t first = block * kLanesPerBlock;
#if defined(__AVX2__)
      // Bin 0 and the bins past the top bin are the plain loop's.
      const bool whole = multiply && block > 0 && block < kBinBlocks - 1;
      const __m256 k = _mm256_add_ps(_mm256_set1_ps(static_cast<float>(first)), _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7));
      const int32_t base = whole ? sourcesOfBlock(k, ratio, reciprocal, offset + first)
                                 : sourcesOfBlockPlainly(first, ratio, offset + first);
#elif defined(__SSE2__)
      const int32_t base = sourcesOfBlock(first, ratio, offset + first);
#else
      const int32_t base = sourcesOfBlockPlainly(first, ratio, offset + first);
#endif
      if (base == kNoSource || base > kTopBin) break;  // sources only grow: no later block has one
      map.blockBase[g][block] = base;
    }
    map.blocks[g] = block;
    for (int32_t k = block * kLanesPerBlock; k < kMappedBins; ++k) offset[k] = kNoSource;
    // Eight bins span 7 / ratio source bins, one more from the truncation and
    // a little for the rounding of the quotients.
    const float spread = 7.0f / ratio + 1.001f;
    map.windows[g] = spread < 64.0f ? static_cast<int32_t>(spread) / kLanesPerBlock + 1 : 9;
  }
}

}  // namespace
}  // namespace gyrelle
