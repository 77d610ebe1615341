#include "engine/SpectralChannel.h"

#include <cmath>
#include <cstring>

#include "engine/FastPhase.h"
#include "engine/FrameTransforms.h"

namespace gyrelle {

namespace {

constexpr int32_t kTopBin = kFrameSize / 2;  // 512, the Nyquist bin

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

}  // namespace

void SpectralChannel::clear() {
  std::memset(inputBuffer, 0, sizeof inputBuffer);
  std::memset(outputBuffer, 0, sizeof outputBuffer);
  std::memset(overlapSum, 0, sizeof overlapSum);
  std::memset(prevPhase, 0, sizeof prevPhase);
  std::memset(binMag, 0, sizeof binMag);
  std::memset(binFreq, 0, sizeof binFreq);
  std::memset(shiftMag, 0, sizeof shiftMag);
  std::memset(shiftFreq, 0, sizeof shiftFreq);
  std::memset(synthPhase, 0, sizeof synthPhase);
}

void SpectralChannel::processFrame(const FrameSettings& settings, FrameTransforms& transforms) {
  float* windowed = transforms.frame();
  for (int32_t i = 0; i < kFrameSize; ++i) windowed[i] = settings.window[i] * inputBuffer[i];
  transforms.forward();
  bool finite = analyse(settings, transforms);
  if (finite) {
    remap(settings);
    synthesise(settings, transforms);
    transforms.inverse();
    finite = overlapAdd(settings, transforms);
  }
  if (!finite) {
    clear();
    return;
  }
  advance(settings.hop);
}

// Measures each bin's magnitude and true frequency from its phase change
// since the previous frame. Answers false when the spectrum is not finite.
bool SpectralChannel::analyse(const FrameSettings& settings, const FrameTransforms& transforms) {
  const fftwf_complex* spectrum = transforms.spectrum();
  float total = 0.0f;
  for (int32_t j = 0; j <= kTopBin; ++j) total += std::fabs(spectrum[j][0]) + std::fabs(spectrum[j][1]);
  if (!std::isfinite(total)) return false;

  // The top bin has no imaginary part; its real part stands in for both.
  float phase[kBinCount];
  for (int32_t j = 1; j < kTopBin; ++j) {
    const float re = spectrum[j][0];
    const float im = spectrum[j][1];
    phase[j] = fastAtan2(im, re);
    binMag[j] = 2.0f * std::sqrt(re * re + im * im);
  }
  const float top = spectrum[kTopBin][0];
  phase[kTopBin] = fastAtan2(top, top);
  binMag[kTopBin] = 2.0f * std::sqrt(top * top + top * top);

  const float overlapPerTurn = static_cast<float>(settings.overlap) / kTwoPi;
  for (int32_t j = 1; j <= kTopBin; ++j) {
    float d = phase[j] - prevPhase[j];
    prevPhase[j] = phase[j];
    d -= static_cast<float>(j) * settings.expectedAdvance;
    d -= kPi * static_cast<float>(evenHalfTurns(d));
    binFreq[j] = (static_cast<float>(j) + d * overlapPerTurn) * settings.binSpacing;
  }
  return true;
}

// Lays every groove's shifted copy of the spectrum over the others; the
// loudest contribution wins each bin, and empty bins inherit from below.
void SpectralChannel::remap(const FrameSettings& settings) {
  std::memset(shiftMag, 0, sizeof shiftMag);
  std::memset(shiftFreq, 0, sizeof shiftFreq);
  int32_t source[kBinCount];
  for (int32_t g = 0; g < settings.grooveCount; ++g) {
    const float ratio = settings.grooveRatio[g];
    const float gain = settings.grooveGain[g];
    // Source bins first, in a loop of its own that the compiler vectorises.
    for (int32_t k = 1; k <= kTopBin; ++k) source[k] = static_cast<int32_t>(static_cast<float>(k) / ratio);
    for (int32_t k = 1; k <= kTopBin; ++k) {
      const int32_t index = source[k];
      if (index > kTopBin) continue;
      const float v = binMag[index] * gain;
      if (v > shiftMag[k]) {
        shiftMag[k] = v;
        shiftFreq[k] = binFreq[index] * ratio;
      }
      if (shiftFreq[k] == 0.0f) {
        shiftFreq[k] = shiftFreq[k - 1];
        shiftMag[k] = shiftMag[k - 1];
      }
    }
  }
}

// Running phases keep every moved partial continuous from frame to frame.
void SpectralChannel::synthesise(const FrameSettings& settings, FrameTransforms& transforms) {
  const float turnPerOverlap = kTwoPi / static_cast<float>(settings.overlap);
  const float perBin = 1.0f / settings.binSpacing;
  const float spacing = settings.binSpacing;
  const float expected = settings.expectedAdvance;
  // Plain arrays in plain loops, so that each loop vectorises.
  float* __restrict phases = synthPhase;
  const float* __restrict frequencies = shiftFreq;
  for (int32_t j = 1; j < kTopBin; ++j) {
    const float bin = static_cast<float>(j);
    const float advance = (frequencies[j] - bin * spacing) * perBin * turnPerOverlap + bin * expected;
    phases[j] = wrapPhase(phases[j] + advance);
  }
  float sine[kBinCount], cosine[kBinCount];
  for (int32_t j = 1; j < kTopBin; ++j) fastSinCos(phases[j], sine[j], cosine[j]);

  fftwf_complex* bins = transforms.synthesis();
  for (int32_t j = 1; j < kTopBin; ++j) {
    bins[j][0] = shiftMag[j] * cosine[j];
    bins[j][1] = shiftMag[j] * sine[j];
  }
  bins[0][0] = 0.0f;  // no direct current
  bins[0][1] = 0.0f;
  bins[kTopBin][0] = transforms.spectrum()[kTopBin][0];  // the top bin passes through
  bins[kTopBin][1] = 0.0f;
}

// Adds the windowed resynthesis into the accumulator and forms the next hop's
// output with the dry signal. Answers false when the result is not finite.
bool SpectralChannel::overlapAdd(const FrameSettings& settings, const FrameTransforms& transforms) {
  const float* wet = transforms.resynthesised();
  for (int32_t i = 0; i < kFrameSize; ++i) overlapSum[i] += wet[i] * settings.window[i] * settings.wetGain;
  bool finite = true;
  for (int32_t i = 0; i < settings.hop; ++i) {
    // The frame's oldest samples keep the dry part aligned with the wet part.
    float y = settings.dryGain * inputBuffer[i] + overlapSum[i];
    finite = finite && std::isfinite(y);
    outputBuffer[i] = y > 1.0f ? 1.0f : (y < -1.0f ? -1.0f : y);
  }
  return finite;
}

void SpectralChannel::advance(int32_t hop) {
  const int32_t kept = kFrameSize - hop;
  std::memmove(overlapSum, overlapSum + hop, sizeof(float) * static_cast<size_t>(kept));
  std::memset(overlapSum + kept, 0, sizeof(float) * static_cast<size_t>(hop));
  std::memmove(inputBuffer, inputBuffer + hop, sizeof(float) * static_cast<size_t>(kept));
}

}  // namespace gyrelle
