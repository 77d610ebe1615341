// The synthesis at AVX2 width. Internal linkage; included only by the frame
// loops' sources (see FrameKernelsBody.h).
//
// The running phases are computed exactly as the plain loop computes them
// (they carry over from frame to frame); their sine and cosine only go to the
// output, so they come from one shared reduction and two FMA polynomials.
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "engine/ChannelBuffers.h"
#include "engine/EngineConstants.h"
#include "engine/FrameSettings.h"

namespace gyrelle {
namespace {

// Sine and cosine of phases in [-pi, pi], both to within 1e-7.
inline void sinCosWide(__m256 x, __m256& sine, __m256& cosine) {
  const __m256 signBit = _mm256_set1_ps(-0.0f);
  const __m256 outer = _mm256_cmp_ps(_mm256_andnot_ps(signBit, x), _mm256_set1_ps(0.5f * kPi), _CMP_GT_OQ);
  // Beyond a quarter turn: sin(x) = sin(+-pi - x), cos(x) = -cos(+-pi - x).
  const __m256 mirrored = _mm256_sub_ps(_mm256_or_ps(_mm256_and_ps(signBit, x), _mm256_set1_ps(kPi)), x);
  const __m256 y = _mm256_blendv_ps(x, mirrored, outer);
  const __m256 s = _mm256_mul_ps(y, y);
  __m256 p = _mm256_set1_ps(-1.0f / 39916800.0f);
  p = _mm256_fmadd_ps(p, s, _mm256_set1_ps(1.0f / 362880.0f));
  p = _mm256_fmadd_ps(p, s, _mm256_set1_ps(-1.0f / 5040.0f));
  p = _mm256_fmadd_ps(p, s, _mm256_set1_ps(1.0f / 120.0f));
  p = _mm256_fmadd_ps(p, s, _mm256_set1_ps(-1.0f / 6.0f));
  p = _mm256_mul_ps(p, s);
  sine = _mm256_fmadd_ps(p, y, y);
  __m256 c = _mm256_set1_ps(1.0f / 479001600.0f);
  c = _mm256_fmadd_ps(c, s, _mm256_set1_ps(-1.0f / 3628800.0f));
  c = _mm256_fmadd_ps(c, s, _mm256_set1_ps(1.0f / 40320.0f));
  c = _mm256_fmadd_ps(c, s, _mm256_set1_ps(-1.0f / 720.0f));
  c = _mm256_fmadd_ps(c, s, _mm256_set1_ps(1.0f / 24.0f));
  c = _mm256_fmadd_ps(c, s, _mm256_set1_ps(-0.5f));
  c = _mm256_fmadd_ps(c, s, _mm256_set1_ps(1.0f));
  cosine = _mm256_xor_ps(c, _mm256_and_ps(outer, signBit));
}

void synthesiseWide(const FrameSettings& settings, const float* spectrum, ChannelBuffers& buffers,
                    float* synthesis) {
  const __m256 turnPerOverlap = _mm256_set1_ps(kTwoPi / static_cast<float>(settings.overlap));
  const __m256 perBin = _mm256_set1_ps(1.0f / settings.binSpacing);
  const __m256 spacing = _mm256_set1_ps(settings.binSpacing);
  const __m256 expected = _mm256_set1_ps(settings.expectedAdvance);
  const __m256 turnsPerRadian = _mm256_set1_ps(1.0f / kTwoPi);
  const __m256 turn = _mm256_set1_ps(kTwoPi);
  __m256 bin = _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7);
  // Bins 0 to 511: bin 0 has no frequency, so its phase stays and its value
  // is set below anyway.
  for (int32_t j = 0; j < kFrameSize / 2; j += 8, bin = _mm256_add_ps(bin, _mm256_set1_ps(8.0f))) {
    const __m256 frequency = _mm256_load_ps(buffers.shiftFreq + j);
    __m256 advance = _mm256_mul_ps(_mm256_mul_ps(_mm256_sub_ps(frequency, _mm256_mul_ps(bin, spacing)), perBin),
                                   turnPerOverlap);
    advance = _mm256_add_ps(advance, _mm256_mul_ps(bin, expected));
    // Into one turn, rounding half away from zero, as the plain loop does.
    const __m256 phase = _mm256_add_ps(_mm256_load_ps(buffers.synthPhase + j), advance);
    const __m256 turns = _mm256_mul_ps(phase, turnsPerRadian);
    const __m256 half = _mm256_blendv_ps(_mm256_set1_ps(-0.5f), _mm256_set1_ps(0.5f),
                                         _mm256_cmp_ps(turns, _mm256_setzero_ps(), _CMP_GE_OQ));
    const __m256 whole = _mm256_cvtepi32_ps(_mm256_cvttps_epi32(_mm256_add_ps(turns, half)));
    const __m256 wrapped = _mm256_sub_ps(phase, _mm256_mul_ps(turn, whole));
    _mm256_store_ps(buffers.synthPhase + j, wrapped);
    __m256 sine, cosine;
    sinCosWide(wrapped, sine, cosine);
    const __m256 mag = _mm256_load_ps(buffers.shiftMag + j);
    const __m256 re = _mm256_mul_ps(mag, cosine);
    const __m256 im = _mm256_mul_ps(mag, sine);
    // Interleaved: re, im of bin j, then of bin j + 1, and so on.
    const __m256 low = _mm256_unpacklo_ps(re, im);
    const __m256 high = _mm256_unpackhi_ps(re, im);
    _mm256_storeu_ps(synthesis + 2 * j, _mm256_permute2f128_ps(low, high, 0x20));
    _mm256_storeu_ps(synthesis + 2 * j + 8, _mm256_permute2f128_ps(low, high, 0x31));
  }
  synthesis[0] = 0.0f;  // no direct current
  synthesis[1] = 0.0f;
  synthesis[2 * (kFrameSize / 2)] = spectrum[2 * (kFrameSize / 2)];  // the top bin passes through
  synthesis[2 * (kFrameSize / 2) + 1] = 0.0f;
}

}  // namespace
}  // namespace gyrelle
