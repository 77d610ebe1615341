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

// The sources of bins first .. first + 7 for one ratio: k / ratio truncated,
// as single-precision arithmetic gives it; anything beyond the top bin (or
// not a number) has none. Writes the sources and their offsets from the
// first bin's and answers the first bin's source.
inline int32_t sourcesOfBlock(int32_t first, float ratio, int32_t* source, int32_t* offset) {
  constexpr float kTop = static_cast<float>(kFrameSize / 2);
#if defined(__AVX2__)
  const __m256 k = _mm256_add_ps(_mm256_set1_ps(static_cast<float>(first)), _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7));
  const __m256 q = _mm256_div_ps(k, _mm256_set1_ps(ratio));
  __m256 inRange = _mm256_and_ps(_mm256_and_ps(_mm256_cmp_ps(k, _mm256_set1_ps(kTop), _CMP_LE_OQ),
                                               _mm256_cmp_ps(q, _mm256_setzero_ps(), _CMP_GE_OQ)),
                                 _mm256_cmp_ps(q, _mm256_set1_ps(kTop + 1.0f), _CMP_LE_OQ));
  const __m256i whole = _mm256_cvttps_epi32(_mm256_and_ps(q, inRange));
  const __m256i sources = _mm256_blendv_epi8(_mm256_set1_epi32(kNoSource), whole, _mm256_castps_si256(inRange));
  _mm256_store_si256(reinterpret_cast<__m256i*>(source), sources);
  const int32_t base = _mm_cvtsi128_si32(_mm256_castsi256_si128(sources));
  if (first == 0) inRange = _mm256_and_ps(inRange, _mm256_castsi256_ps(_mm256_setr_epi32(0, -1, -1, -1, -1, -1, -1, -1)));
  const __m256i distance = _mm256_sub_epi32(whole, _mm256_set1_epi32(base));
  _mm256_store_si256(reinterpret_cast<__m256i*>(offset),
                     _mm256_blendv_epi8(_mm256_set1_epi32(-1), distance, _mm256_castps_si256(inRange)));
  return base;
#elif defined(__SSE2__)
  int32_t base = kNoSource;
  for (int32_t half = 0; half < 8; half += 4) {
    const __m128 k = _mm_add_ps(_mm_set1_ps(static_cast<float>(first + half)), _mm_setr_ps(0, 1, 2, 3));
    const __m128 q = _mm_div_ps(k, _mm_set1_ps(ratio));
    __m128i live = _mm_castps_si128(_mm_and_ps(
        _mm_and_ps(_mm_cmple_ps(k, _mm_set1_ps(kTop)), _mm_cmpge_ps(q, _mm_setzero_ps())),
        _mm_cmple_ps(q, _mm_set1_ps(kTop + 1.0f))));
    const __m128i whole = _mm_cvttps_epi32(_mm_and_ps(q, _mm_castsi128_ps(live)));
    const __m128i sources = _mm_or_si128(_mm_and_si128(live, whole), _mm_andnot_si128(live, _mm_set1_epi32(kNoSource)));
    _mm_store_si128(reinterpret_cast<__m128i*>(source + half), sources);
    if (half == 0) base = _mm_cvtsi128_si32(sources);
    if (first + half == 0) live = _mm_and_si128(live, _mm_setr_epi32(0, -1, -1, -1));
    const __m128i distance = _mm_sub_epi32(whole, _mm_set1_epi32(base));
    _mm_store_si128(reinterpret_cast<__m128i*>(offset + half),
                    _mm_or_si128(_mm_and_si128(live, distance), _mm_andnot_si128(live, _mm_set1_epi32(-1))));
  }
  return base;
#else
  for (int32_t lane = 0; lane < 8; ++lane) {
    const float k = static_cast<float>(first + lane);
    const float q = k / ratio;
    const bool inRange = k <= kTop && q >= 0.0f && q <= kTop + 1.0f;
    source[lane] = inRange ? static_cast<int32_t>(q) : kNoSource;
  }
  for (int32_t lane = 0; lane < 8; ++lane) {
    offset[lane] = source[lane] != kNoSource && first + lane > 0 ? source[lane] - source[0] : -1;
  }
  return source[0];
#endif
}

// A groove whose ratio has not changed keeps its map.
void mapGrooves(int32_t grooveCount, const float* ratios, GrooveBinMap& map) {
  constexpr int32_t kTopBin = kFrameSize / 2;
  static_assert(kLanesPerBlock == 8, "blocks of eight bins");
  map.grooveCount = grooveCount;
  for (int32_t g = 0; g < grooveCount; ++g) {
    const float ratio = ratios[g];
    if (map.ratio[g] == ratio) continue;
    map.ratio[g] = ratio;
    int32_t* __restrict source = map.source[g];
    int32_t* __restrict offset = map.offset[g];
    int32_t block = 0;
    for (; block < kBinBlocks; ++block) {
      const int32_t first = block * kLanesPerBlock;
      const int32_t base = sourcesOfBlock(first, ratio, source + first, offset + first);
      if (base > kTopBin) break;  // sources only grow: no later block has one
      map.blockBase[g][block] = base;
    }
    map.blocks[g] = block;
    for (int32_t k = block * kLanesPerBlock; k < kMappedBins; ++k) {
      source[k] = kNoSource;
      offset[k] = -1;
    }
    // Eight bins span 7 / ratio source bins, one more from the truncation and
    // a little for the rounding of the quotients.
    const float spread = 7.0f / ratio + 1.001f;
    map.windows[g] = spread < 64.0f ? static_cast<int32_t>(spread) / kLanesPerBlock + 1 : 9;
  }
}

}  // namespace
}  // namespace gyrelle
