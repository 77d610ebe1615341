// The frame loops themselves. Included by one source file per instruction
// set, which the build compiles with that set's options; everything here has
// internal linkage so that no copy built for a wider set can stand in for
// another (no standard-library inline functions either, for the same reason).
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__AVX2__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/FastPhase.h"
#include "engine/FrameKernels.h"

namespace gyrelle {
namespace {

constexpr int32_t kTopBin = kFrameSize / 2;  // 512, the Nyquist bin

inline float absolute(float x) { return __builtin_fabsf(x); }

// 1 when x is an infinity or a NaN, by its bits, so that a loop of it vectorises.
inline uint32_t nonFinite(float x) {
  uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return (bits & 0x7f800000u) == 0x7f800000u ? 1u : 0u;
}

// Brings a phase into one turn, -pi to pi, so that float precision never
// decays however long the stream runs.
inline float wrapPhase(float phase) {
  const float turns = phase * (1.0f / kTwoPi);
  const int32_t whole = static_cast<int32_t>(turns + (turns >= 0.0f ? 0.5f : -0.5f));
  return phase - kTwoPi * static_cast<float>(whole);
}

// An odd multiple of pi moves one step away from zero to the even neighbour.
inline int32_t evenHalfTurns(float d) {
  int32_t q = static_cast<int32_t>(d / kPi);
  return q >= 0 ? q + (q & 1) : q - (q & 1);
}

void applyWindow(const float* __restrict window, const float* __restrict input, float* __restrict out) {
  for (int32_t i = 0; i < kFrameSize; ++i) out[i] = window[i] * input[i];
}

// Measures each bin's magnitude and true frequency from its phase change
// since the previous frame, in one pass over the bins.
bool analyse(const FrameSettings& settings, const float* __restrict spectrum, ChannelBuffers& buffers) {
  uint32_t bad = 0;
  for (int32_t i = 0; i < 2 * kBinCount; ++i) bad |= nonFinite(spectrum[i]);
  if (bad != 0) return false;

  float* __restrict prevPhase = buffers.prevPhase;
  float* __restrict binMag = buffers.binMag;
  float* __restrict binFreq = buffers.binFreq;
  const float overlapPerTurn = static_cast<float>(settings.overlap) / kTwoPi;
  const float expected = settings.expectedAdvance;
  const float spacing = settings.binSpacing;
  const auto analyseBin = [&](int32_t j, float re, float im) {
    const float phase = fastAtan2(im, re);
    binMag[j] = 2.0f * __builtin_sqrtf(re * re + im * im);
    float d = phase - prevPhase[j];
    prevPhase[j] = phase;
    d -= static_cast<float>(j) * expected;
    d -= kPi * static_cast<float>(evenHalfTurns(d));
    binFreq[j] = (static_cast<float>(j) + d * overlapPerTurn) * spacing;
  };
  for (int32_t j = 1; j < kTopBin; ++j) analyseBin(j, spectrum[2 * j], spectrum[2 * j + 1]);
  // The top bin has no imaginary part; its real part stands in for both.
  analyseBin(kTopBin, spectrum[2 * kTopBin], spectrum[2 * kTopBin]);
  return true;
}

// The sources of bins first .. first + 7 for one ratio.
inline void sourcesOfBlock(int32_t first, float ratio, int32_t* source) {
#if defined(__AVX2__)
  const __m256 k = _mm256_add_ps(_mm256_set1_ps(static_cast<float>(first)), _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7));
  const __m256 q = _mm256_div_ps(k, _mm256_set1_ps(ratio));
  const __m256 inRange = _mm256_and_ps(
      _mm256_and_ps(_mm256_cmp_ps(k, _mm256_set1_ps(kTopBin), _CMP_LE_OQ), _mm256_cmp_ps(q, _mm256_setzero_ps(), _CMP_GE_OQ)),
      _mm256_cmp_ps(q, _mm256_set1_ps(kTopBin + 1), _CMP_LE_OQ));
  const __m256i whole = _mm256_cvttps_epi32(_mm256_and_ps(q, inRange));
  const __m256i none = _mm256_set1_epi32(kNoSource);
  _mm256_store_si256(reinterpret_cast<__m256i*>(source),
                     _mm256_blendv_epi8(none, whole, _mm256_castps_si256(inRange)));
#elif defined(__SSE2__)
  for (int32_t half = 0; half < kLanesPerBlock; half += 4) {
    const __m128 k = _mm_add_ps(_mm_set1_ps(static_cast<float>(first + half)), _mm_setr_ps(0, 1, 2, 3));
    const __m128 q = _mm_div_ps(k, _mm_set1_ps(ratio));
    const __m128 inRange = _mm_and_ps(_mm_and_ps(_mm_cmple_ps(k, _mm_set1_ps(kTopBin)), _mm_cmpge_ps(q, _mm_setzero_ps())),
                                      _mm_cmple_ps(q, _mm_set1_ps(kTopBin + 1)));
    const __m128i whole = _mm_cvttps_epi32(_mm_and_ps(q, inRange));
    const __m128i live = _mm_castps_si128(inRange);
    const __m128i result = _mm_or_si128(_mm_and_si128(live, whole), _mm_andnot_si128(live, _mm_set1_epi32(kNoSource)));
    _mm_store_si128(reinterpret_cast<__m128i*>(source + half), result);
  }
#else
  for (int32_t lane = 0; lane < kLanesPerBlock; ++lane) {
    const int32_t k = first + lane;
    const float q = static_cast<float>(k) / ratio;
    const bool inRange = k <= kTopBin && q >= 0.0f && q <= static_cast<float>(kTopBin + 1);
    source[lane] = inRange ? static_cast<int32_t>(q) : kNoSource;
  }
#endif
}

// source = k / ratio truncated, as single-precision arithmetic gives it;
// anything beyond the top bin (or not a number) has no source. A groove whose
// ratio has not changed keeps its map.
void mapGrooves(int32_t grooveCount, const float* ratios, GrooveBinMap& map) {
  map.grooveCount = grooveCount;
  for (int32_t g = 0; g < grooveCount; ++g) {
    const float ratio = ratios[g];
    if (map.ratio[g] == ratio) continue;
    map.ratio[g] = ratio;
    int32_t* __restrict source = map.source[g];
    int32_t blocks = 0, windows = 1;
    int32_t first = 0;
    for (; first < kMappedBins; first += kLanesPerBlock) {
      sourcesOfBlock(first, ratio, source + first);
      if (source[first] > kTopBin) break;  // sources only grow: no later block has one
      int32_t last = source[first];
      for (int32_t lane = 1; lane < kLanesPerBlock; ++lane) {
        if (source[first + lane] <= kTopBin) last = source[first + lane];
      }
      const int32_t spread = (last - source[first]) / kLanesPerBlock + 1;
      windows = spread > windows ? spread : windows;
      ++blocks;
    }
    for (int32_t k = first; k < kMappedBins; ++k) source[k] = kNoSource;
    map.blocks[g] = blocks;
    map.windows[g] = windows;
  }
}

// One groove's pass over bins first .. first + count - 1, exactly as the plain
// loop over the bins does it: the loudest contribution wins each bin, and a
// bin still without a frequency inherits from the bin below (`below`).
inline void remapBinsSerially(const ChannelBuffers& buffers, const int32_t* source, float gain, float ratio,
                              int32_t first, int32_t count, float* mag, float* freq, float belowMag,
                              float belowFreq) {
  for (int32_t lane = 0; lane < count; ++lane) {
    const int32_t k = first + lane;
    if (k >= 1 && k <= kTopBin && source[k] <= kTopBin) {
      const int32_t index = source[k];
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

#if defined(__AVX2__)

// The values at `offset` (0 to 8 * Windows - 1) from `window`, without a gather.
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

// The sources of a groove grow with the bin, so the eight bins of a block read
// from one short window of the analysis: loaded whole and permuted. Blocks are
// the outer loop, grooves the inner one, and a bin's running winner stays in a
// register; a block where a bin is left without a frequency (the hole filling
// that runs along the bins) is redone bin by bin.
void remap(const FrameSettings& settings, ChannelBuffers& buffers) {
  const GrooveBinMap& map = *settings.grooveBins;
  alignas(32) float lastMag[kMaxGrooves][kLanesPerBlock] = {};
  alignas(32) float lastFreq[kMaxGrooves][kLanesPerBlock] = {};
  alignas(32) float mags[kLanesPerBlock];
  alignas(32) float freqs[kLanesPerBlock];
  const __m256 zero = _mm256_setzero_ps();
  const __m256i pastTop = _mm256_set1_epi32(kTopBin + 1);
  const __m256i notBinZero = _mm256_setr_epi32(0, -1, -1, -1, -1, -1, -1, -1);
  const int32_t grooveCount = settings.grooveCount;
  for (int32_t block = 0; block < kBinBlocks; ++block) {
    const int32_t first = block * kLanesPerBlock;
    __m256 mag = zero;
    __m256 freq = zero;
    for (int32_t g = 0; g < grooveCount; ++g) {
      if (block >= map.blocks[g]) continue;
      const int32_t* source = map.source[g];
      const float gain = settings.grooveGain[g];
      const float ratio = settings.grooveRatio[g];
      const __m256i index = _mm256_load_si256(reinterpret_cast<const __m256i*>(source + first));
      const int32_t base = source[first];
      const __m256i offset = _mm256_sub_epi32(index, _mm256_set1_epi32(base));
      __m256i live = _mm256_cmpgt_epi32(pastTop, index);
      if (block == 0) live = _mm256_and_si256(live, notBinZero);
      const __m256 active = _mm256_castsi256_ps(live);
      __m256 sourceMag, sourceFreq;
      bool serial = false;
      switch (map.windows[g]) {
        case 1:
          sourceMag = lookUp<1>(buffers.binMag + base, offset);
          sourceFreq = lookUp<1>(buffers.binFreq + base, offset);
          break;
        case 2:
          sourceMag = lookUp<2>(buffers.binMag + base, offset);
          sourceFreq = lookUp<2>(buffers.binFreq + base, offset);
          break;
        case 3:
          sourceMag = lookUp<3>(buffers.binMag + base, offset);
          sourceFreq = lookUp<3>(buffers.binFreq + base, offset);
          break;
        case 4:
          sourceMag = lookUp<4>(buffers.binMag + base, offset);
          sourceFreq = lookUp<4>(buffers.binFreq + base, offset);
          break;
        default:  // sources too far apart for a window
          sourceMag = sourceFreq = zero;
          serial = true;
          break;
      }
      const __m256 v = _mm256_mul_ps(sourceMag, _mm256_set1_ps(gain));
      const __m256 wins = _mm256_and_ps(_mm256_cmp_ps(v, mag, _CMP_GT_OQ), active);
      const __m256 newMag = _mm256_blendv_ps(mag, v, wins);
      const __m256 newFreq = _mm256_blendv_ps(freq, _mm256_mul_ps(sourceFreq, _mm256_set1_ps(ratio)), wins);
      const __m256 holes = _mm256_and_ps(_mm256_cmp_ps(newFreq, zero, _CMP_EQ_OQ), active);
      if (serial || _mm256_movemask_ps(holes) != 0) {
        _mm256_store_ps(mags, mag);
        _mm256_store_ps(freqs, freq);
        remapBinsSerially(buffers, source, gain, ratio, first, kLanesPerBlock, mags, freqs,
                          lastMag[g][kLanesPerBlock - 1], lastFreq[g][kLanesPerBlock - 1]);
        mag = _mm256_load_ps(mags);
        freq = _mm256_load_ps(freqs);
      } else {
        mag = newMag;
        freq = newFreq;
      }
      _mm256_store_ps(lastMag[g], mag);
      _mm256_store_ps(lastFreq[g], freq);
    }
    _mm256_store_ps(buffers.shiftMag + first, mag);
    _mm256_store_ps(buffers.shiftFreq + first, freq);
  }
}

#else

// Lays every groove's shifted copy of the spectrum over the others, groove
// after groove, each over all bins in ascending order.
void remap(const FrameSettings& settings, ChannelBuffers& buffers) {
  const GrooveBinMap& map = *settings.grooveBins;
  std::memset(buffers.shiftMag, 0, sizeof buffers.shiftMag);
  std::memset(buffers.shiftFreq, 0, sizeof buffers.shiftFreq);
  for (int32_t g = 0; g < settings.grooveCount; ++g) {
    remapBinsSerially(buffers, map.source[g], settings.grooveGain[g], settings.grooveRatio[g], 0, kBinCount,
                      buffers.shiftMag, buffers.shiftFreq, 0.0f, 0.0f);
  }
}

#endif

// Running phases keep every moved partial continuous from frame to frame.
void synthesise(const FrameSettings& settings, const float* __restrict spectrum, ChannelBuffers& buffers,
                float* __restrict synthesis) {
  const float turnPerOverlap = kTwoPi / static_cast<float>(settings.overlap);
  const float perBin = 1.0f / settings.binSpacing;
  const float spacing = settings.binSpacing;
  const float expected = settings.expectedAdvance;
  float* __restrict phases = buffers.synthPhase;
  const float* __restrict frequencies = buffers.shiftFreq;
  const float* __restrict magnitudes = buffers.shiftMag;
  for (int32_t j = 1; j < kTopBin; ++j) {
    const float bin = static_cast<float>(j);
    const float advance = (frequencies[j] - bin * spacing) * perBin * turnPerOverlap + bin * expected;
    const float phase = wrapPhase(phases[j] + advance);
    phases[j] = phase;
    float sine, cosine;
    fastSinCos(phase, sine, cosine);
    synthesis[2 * j] = magnitudes[j] * cosine;
    synthesis[2 * j + 1] = magnitudes[j] * sine;
  }
  synthesis[0] = 0.0f;  // no direct current
  synthesis[1] = 0.0f;
  synthesis[2 * kTopBin] = spectrum[2 * kTopBin];  // the top bin passes through
  synthesis[2 * kTopBin + 1] = 0.0f;
}

// Adds the windowed resynthesis into the accumulator and forms the next hop's
// output with the dry signal.
bool overlapAdd(const FrameSettings& settings, const float* __restrict wet, ChannelBuffers& buffers) {
  float* __restrict sum = buffers.overlapSum;
  const float* __restrict window = settings.window;
  const float wetGain = settings.wetGain;
  for (int32_t i = 0; i < kFrameSize; ++i) sum[i] += wet[i] * window[i] * wetGain;
  const float dryGain = settings.dryGain;
  const float* __restrict input = buffers.inputFrame;
  float* __restrict output = buffers.outputFrame;
  uint32_t bad = 0;
  for (int32_t i = 0; i < settings.hop; ++i) {
    // The frame's oldest samples keep the dry part aligned with the wet part.
    const float y = dryGain * input[i] + sum[i];
    bad |= nonFinite(y);
    output[i] = y > 1.0f ? 1.0f : (y < -1.0f ? -1.0f : y);
  }
  return bad == 0;
}

constexpr FrameKernels kernelTable(const char* name) {
  return FrameKernels{name, applyWindow, analyse, mapGrooves, remap, synthesise, overlapAdd};
}

}  // namespace
}  // namespace gyrelle
