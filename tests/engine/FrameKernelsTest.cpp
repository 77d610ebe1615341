// The frame loops of each instruction set: the remapping against the plain
// loop over grooves and bins, and the whole engine against the recorded
// output, with the SSE2 loops forced through the engine's test seam.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "engine/FrameKernels.h"
#include "engine/GrooveProcessor.h"
#include "tests/engine/OutputFixture.h"

using namespace gyrelle;
using namespace gyrelle::testing;

namespace {

constexpr int32_t kTop = kFrameSize / 2;

// The remapping as a plain loop: groove after groove, bin after bin.
void remapReference(const ChannelBuffers& in, int32_t count, const float* ratios, const float* gains, float* mag,
                    float* freq) {
  std::fill(mag, mag + kBinCount, 0.0f);
  std::fill(freq, freq + kBinCount, 0.0f);
  for (int32_t g = 0; g < count; ++g) {
    for (int32_t k = 1; k <= kTop; ++k) {
      const int32_t index = static_cast<int32_t>(static_cast<float>(k) / ratios[g]);
      if (index > kTop) continue;
      const float v = in.binMag[index] * gains[g];
      if (v > mag[k]) {
        mag[k] = v;
        freq[k] = in.binFreq[index] * ratios[g];
      }
      if (freq[k] == 0.0f) {
        freq[k] = freq[k - 1];
        mag[k] = mag[k - 1];
      }
    }
  }
}

std::vector<const FrameKernels*> availableKernels() {
  std::vector<const FrameKernels*> kernels{&baselineFrameKernels()};
  if (const FrameKernels* wide = wideFrameKernels()) kernels.push_back(wide);
  return kernels;
}

// Random spectra with the awkward cases mixed in: equal magnitudes (ties
// between grooves), silent bins and zero frequencies (holes), silent grooves,
// ratios right at the ends of the range and exactly 1.
TEST(FrameKernels, RemappingGivesExactlyTheBinsOfThePlainLoop) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  auto buffers = std::make_unique<ChannelBuffers>();
  auto map = std::make_unique<GrooveBinMap>();
  float refMag[kBinCount], refFreq[kBinCount];
  for (const FrameKernels* kernels : availableKernels()) {
    SCOPED_TRACE(kernels->name);
    for (int round = 0; round < 400; ++round) {
      std::memset(buffers.get(), 0, sizeof(ChannelBuffers));
      const int style = round % 4;
      for (int32_t j = 1; j <= kTop; ++j) {
        const float level = style == 0 ? std::floor(unit(random) * 4.0f) : unit(random);  // few levels: ties
        buffers->binMag[j] = (style == 1 && unit(random) < 0.3f) ? 0.0f : level;
        buffers->binFreq[j] = (style == 2 && unit(random) < 0.3f) ? 0.0f : unit(random) * 24000.0f - 100.0f;
      }
      const int32_t count = 2 + round % 9;
      float ratios[kMaxGrooves], gains[kMaxGrooves];
      for (int32_t g = 0; g < count; ++g) {
        const float position = unit(random);
        ratios[g] = std::pow(2.0f, (position * 4.0f - 2.0f));  // 0.25 to 4, as 48 semitones of range give
        gains[g] = style == 3 && g % 3 == 0 ? 0.0f : (style == 0 ? 1.0f : unit(random));
      }
      if (round % 10 == 1) ratios[0] = 0.25f;
      if (round % 10 == 2) ratios[1] = 4.0f;
      if (round % 10 == 3) ratios[0] = ratios[1] = 1.0f;
      if (round % 10 == 4) buffers->binMag[1] = buffers->binFreq[1] = 0.0f;
      if (round % 10 == 5) ratios[1] = 0.2f;  // sources too far apart for a vector window

      kernels->mapGrooves(count, ratios, *map);
      FrameSettings settings{};
      settings.grooveCount = count;
      settings.grooveRatio = ratios;
      settings.grooveGain = gains;
      settings.grooveBins = map.get();
      kernels->remap(settings, *buffers);
      remapReference(*buffers, count, ratios, gains, refMag, refFreq);
      ASSERT_EQ(std::memcmp(refMag, buffers->shiftMag, sizeof refMag), 0) << "round " << round;
      ASSERT_EQ(std::memcmp(refFreq, buffers->shiftFreq, sizeof refFreq), 0) << "round " << round;
    }
  }
}

double snrDb(const std::vector<float>& reference, const std::vector<float>& actual) {
  double signal = 0.0, noise = 0.0;
  for (size_t i = 0; i < reference.size(); ++i) {
    signal += static_cast<double>(reference[i]) * reference[i];
    const double d = static_cast<double>(actual[i]) - reference[i];
    noise += d * d;
  }
  return noise == 0.0 ? INFINITY : 10.0 * std::log10(signal / noise);
}

std::vector<float> readRecording(const FixtureCase& fixture, size_t length) {
  std::vector<float> data(length);
  FILE* file = std::fopen(fixturePath(fixture).c_str(), "rb");
  if (file == nullptr) return {};
  const size_t got = std::fread(data.data(), sizeof(float), length, file);
  std::fclose(file);
  if (got != length) return {};
  return data;
}

// A recorded case through a processor built here, called as the plug-in's
// VST 2 binding calls it; the channels one after the other.
std::vector<float> renderWith(const FrameKernels& kernels, const FixtureCase& fixture) {
  forceFrameKernels(&kernels);
  const bool mono = std::strcmp(fixture.plugin, "gyrelle-mono") == 0;
  const int32_t channels = mono ? 1 : 2;
  auto processor = std::make_unique<GrooveProcessor>(channels);
  forceFrameKernels(nullptr);
  processor->setSampleRate(kFixtureRate);
  for (const ParameterWrite& write : fixture.settings) processor->writeParameter(write.index, write.value);
  std::vector<std::vector<float>> input, output(2, std::vector<float>(kFixtureFrames));
  for (int32_t ch = 0; ch < channels; ++ch) input.push_back(fixtureInput(ch, kFixtureFrames));
  const size_t half = (kFixtureFrames / 2 / kFixtureBlock) * kFixtureBlock;
  for (size_t offset = 0; offset < kFixtureFrames; offset += kFixtureBlock) {
    if (offset == half) {
      for (const ParameterWrite& write : fixture.automation) processor->writeParameter(write.index, write.value);
    }
    const int32_t frames = static_cast<int32_t>(std::min<size_t>(kFixtureBlock, kFixtureFrames - offset));
    float* ins[2] = {input[0].data() + offset, input[channels - 1].data() + offset};
    float* outs[2] = {output[0].data() + offset, output[1].data() + offset};
    processor->processStaged(ins, outs, frames);
  }
  std::vector<float> all = output[0];
  if (!mono) all.insert(all.end(), output[1].begin(), output[1].end());
  return all;
}

// The SSE2 loops give exactly the recorded bits; the AVX2 loops (FMA, wider
// vectors) keep within 90 dB of them and of the SSE2 loops.
TEST(FrameKernels, EveryInstructionSetReproducesTheRecordedOutput) {
  for (const FixtureCase& fixture : fixtureCases()) {
    SCOPED_TRACE(fixture.name);
    const std::vector<float> baseline = renderWith(baselineFrameKernels(), fixture);
    const std::vector<float> recorded = readRecording(fixture, baseline.size());
    ASSERT_EQ(recorded.size(), baseline.size());
    EXPECT_EQ(std::memcmp(recorded.data(), baseline.data(), baseline.size() * sizeof(float)), 0);
    if (const FrameKernels* wide = wideFrameKernels()) {
      const std::vector<float> widened = renderWith(*wide, fixture);
      const double snr = snrDb(recorded, widened);
      EXPECT_GE(snr, 90.0);
      EXPECT_GE(snrDb(baseline, widened), 90.0);
      std::printf("%-28s %s against the recording: %.1f dB\n", fixture.name, wide->name, snr);
    }
  }
}

}  // namespace
