// The frame loops themselves. Included by one source file per instruction
// set, which the build compiles with that set's options; everything here has
// internal linkage so that no copy built for a wider set can stand in for
// another (no standard-library inline functions either, for the same reason).
#pragma once

#include <cstdint>
#include <cstring>

#include "engine/FastPhase.h"
#include "engine/FrameKernels.h"
#include "engine/GrooveBinMapping.h"
#include "engine/SerialRemap.h"
#if defined(__AVX2__)
#include "engine/WideRemap.h"
#include "engine/WideSynthesis.h"
#endif

namespace gyrelle {
namespace {

constexpr int32_t kTopBin = kFrameSize / 2;  // 512, the Nyquist bin

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

// Lays every groove's shifted copy of the spectrum over the others, groove
// after groove, each over all bins in ascending order.
void remap(const FrameSettings& settings, ChannelBuffers& buffers) {
#if defined(__AVX2__)
  remapWide(settings, buffers);
#else
  const GrooveBinMap& map = *settings.grooveBins;
  std::memset(buffers.shiftMag, 0, sizeof buffers.shiftMag);
  std::memset(buffers.shiftFreq, 0, sizeof buffers.shiftFreq);
  float* __restrict mag = buffers.shiftMag;
  float* __restrict freq = buffers.shiftFreq;
  for (int32_t g = 0; g < settings.grooveCount; ++g) {
    const float gain = settings.grooveGain[g];
    const float ratio = settings.grooveRatio[g];
    const int16_t* offset = map.offset[g];
    // Bins past the last block with a source have none: nothing happens there.
    for (int32_t block = 0; block < map.blocks[g]; ++block) {
      const float* binMag = buffers.binMag + map.blockBase[g][block];
      const float* binFreq = buffers.binFreq + map.blockBase[g][block];
      for (int32_t k = block * kLanesPerBlock; k < (block + 1) * kLanesPerBlock; ++k) {
        if (offset[k] == kNoSource) continue;  // bin 0, or past the top bin
        const float v = binMag[offset[k]] * gain;
        if (v > mag[k]) {
          mag[k] = v;
          freq[k] = binFreq[offset[k]] * ratio;
        }
        if (freq[k] == 0.0f) {
          freq[k] = freq[k - 1];
          mag[k] = mag[k - 1];
        }
      }
    }
  }
#endif
}

// Running phases keep every moved partial continuous from frame to frame.
void synthesise(const FrameSettings& settings, const float* __restrict spectrum, ChannelBuffers& buffers,
                float* __restrict synthesis) {
#if defined(__AVX2__)
  synthesiseWide(settings, spectrum, buffers, synthesis);
#else
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
#endif
}

// Adds the windowed resynthesis into the accumulator, forms the next hop's
// output with the dry signal and moves the accumulator on by the hop, in one
// pass.
bool overlapAdd(const FrameSettings& settings, const float* __restrict wet, ChannelBuffers& buffers) {
  float* sum = buffers.overlapSum;
  const float* __restrict window = settings.window;
  const float wetGain = settings.wetGain;
  const float dryGain = settings.dryGain;
  const float* __restrict input = buffers.inputFrame;
  float* __restrict output = buffers.outputFrame;
  const int32_t hop = settings.hop;
  uint32_t bad = 0;
  for (int32_t i = 0; i < hop; ++i) {
    // The frame's oldest samples keep the dry part aligned with the wet part.
    const float y = dryGain * input[i] + (sum[i] + wet[i] * window[i] * wetGain);
    bad |= nonFinite(y);
    output[i] = y > 1.0f ? 1.0f : (y < -1.0f ? -1.0f : y);
  }
  for (int32_t i = hop; i < kFrameSize; ++i) sum[i - hop] = sum[i] + wet[i] * window[i] * wetGain;
  for (int32_t i = kFrameSize - hop; i < kFrameSize; ++i) sum[i] = 0.0f;
  return bad == 0;
}

constexpr FrameKernels kernelTable(const char* name) {
  return FrameKernels{name, applyWindow, analyse, mapGrooves, remap, synthesise, overlapAdd};
}

}  // namespace
}  // namespace gyrelle
