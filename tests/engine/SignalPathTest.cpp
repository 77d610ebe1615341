// The signal path through the record: latency, block independence, channel
// builds, pitch at Range 0, levels, clamping and hostile samples.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <xmmintrin.h>

#include "tests/support/LoadedPlugin.h"
#include "tests/support/Signals.h"

using namespace gyrelle::testing;

namespace {

constexpr float kRate = 44100.0f;
constexpr size_t kLatency = 1024;
constexpr float kDryUnity = 1.0f / 1.2f;
constexpr float kRenderLevels[] = {0.1f, 0.35f, 0.6f, 0.85f};

std::vector<float> noise(size_t length, unsigned seed, float amplitude = 0.5f) {
  std::mt19937 generator(seed);
  std::uniform_real_distribution<float> dist(-amplitude, amplitude);
  std::vector<float> x(length);
  for (float& v : x) v = dist(generator);
  return x;
}

bool allFinite(const std::vector<float>& x) {
  for (float v : x)
    if (!std::isfinite(v)) return false;
  return true;
}

// Dry only, at unity: the neutral setting.
void dryOnly(Instance& instance) {
  instance.setParameter(7, kDryUnity);
  instance.setParameter(8, 0.0f);
}

TEST(SignalPath, NeutralSettingsGiveTheInputDelayedByTheLatencyAtEveryRenderLevel) {
  for (float level : kRenderLevels) {
    Instance instance("gyrelle-stereo");
    instance.start(kRate, 256);
    instance.setParameter(0, level);
    dryOnly(instance);
    const auto left = noise(8000, 1), right = noise(8000, 2);
    const auto out = instance.run({left, right}, 256);
    ASSERT_EQ(static_cast<size_t>(instance.effect()->initialDelay), kLatency);
    for (size_t i = 0; i < kLatency; ++i) ASSERT_EQ(out[0][i], 0.0f) << i;
    for (size_t i = kLatency; i < left.size(); ++i) {
      ASSERT_NEAR(out[0][i], 0.5f * left[i - kLatency], 1e-6f) << "level " << level << " sample " << i;
      ASSERT_NEAR(out[1][i], 0.5f * right[i - kLatency], 1e-6f) << "level " << level << " sample " << i;
    }
  }
}

TEST(SignalPath, AnImpulseArrivesExactlyOneFrameLater) {
  Instance instance("gyrelle-mono");
  instance.start(kRate, 64);
  instance.setParameter(7, 1.0f);
  instance.setParameter(8, 0.0f);
  std::vector<float> impulse(4096, 0.0f);
  impulse[0] = 1.0f;
  const auto out = instance.run({impulse}, 64);
  for (size_t i = 0; i < out[0].size(); ++i) {
    ASSERT_EQ(out[0][i], i == kLatency ? 0.6f : 0.0f) << i;
  }
}

TEST(SignalPath, BlockSizesAndEntriesDoNotChangeTheOutput) {
  const auto input = noise(20000, 3);
  std::vector<float> reference;
  {
    Instance instance("gyrelle-mono");
    instance.start(kRate, 512);
    reference = instance.run({input}, 512)[0];
  }
  for (int32_t block : {1, 100, 4000, 4192, 4193, 20000}) {
    for (bool replacing : {true, false}) {
      Instance instance("gyrelle-mono");
      instance.start(kRate, 512);
      const auto out = instance.run({input}, block, replacing)[0];
      ASSERT_EQ(out, reference) << "block " << block << (replacing ? " replacing" : " accumulating");
    }
  }
}

TEST(SignalPath, SameBuffersAsInputAndOutput) {
  const auto input = noise(9000, 4);
  Instance separate("gyrelle-stereo"), inPlace("gyrelle-stereo");
  separate.start();
  inPlace.start();
  const auto expected = separate.run({input, input}, 300);
  std::vector<float> left = input, right = input;
  for (size_t offset = 0; offset < input.size(); offset += 300) {
    const int32_t frames = static_cast<int32_t>(std::min<size_t>(300, input.size() - offset));
    float* channels[2] = {left.data() + offset, right.data() + offset};
    inPlace.effect()->processReplacing(inPlace.effect(), channels, channels, frames);
  }
  EXPECT_EQ(left, expected[0]);
  EXPECT_EQ(right, expected[1]);
}

TEST(SignalPath, MonoCopiesItsOutputAndStereoChannelsAreIndependent) {
  const auto signal = sine(440.0, kRate, 12000);
  const std::vector<float> silence(signal.size(), 0.0f);

  Instance mono("gyrelle-mono");
  mono.start();
  const auto monoOut = mono.run({signal});
  EXPECT_EQ(monoOut[0], monoOut[1]);
  EXPECT_GT(rms(monoOut[0], 4096, 4096), 0.05);

  Instance stereo("gyrelle-stereo");
  stereo.start();
  const auto stereoOut = stereo.run({signal, silence});
  EXPECT_EQ(stereoOut[0], monoOut[0]);  // one DSP source serves both builds
  for (float v : stereoOut[1]) ASSERT_EQ(v, 0.0f);

  Instance swapped("gyrelle-stereo");
  swapped.start();
  const auto swappedOut = swapped.run({silence, signal});
  EXPECT_EQ(swappedOut[1], monoOut[0]);
  for (float v : swappedOut[0]) ASSERT_EQ(v, 0.0f);
}

TEST(SignalPath, RangeZeroGivesASteadySineBackAtItsOwnFrequency) {
  // 1033.6 Hz lies halfway between two bin centres at 44.1 kHz; 3000 Hz is off-centre too.
  for (double frequency : {1033.59375, 3000.0, 220.0}) {
    Instance instance("gyrelle-mono");
    instance.start(kRate);
    instance.setParameter(2, 0.0f);
    instance.setParameter(0, 0.6f);
    const auto out = instance.run({sine(frequency, kRate, 44100)})[0];
    const double found = strongestFrequency(out, 20000, 16384, kRate, frequency - 20, frequency + 20, 0.5);
    EXPECT_NEAR(found, frequency, 1.0) << frequency;
    EXPECT_GT(sineSnrDb(out, 30000, 4096, frequency, kRate), 30.0) << frequency;
  }
}

TEST(SignalPath, LevelsActFromTheNextFrameWithoutAReset) {
  Instance instance("gyrelle-mono");
  instance.start(kRate, 512);
  instance.setParameter(0, 0.85f);  // hop 64
  const auto signal = sine(500.0, kRate, 30720);
  const auto before = instance.run({std::vector<float>(signal.begin(), signal.begin() + 22528)})[0];
  instance.setParameter(8, 0.5f / 1.2f);  // wet gain from 1.0 to 0.5
  const auto after = instance.run({std::vector<float>(signal.begin() + 22528, signal.end())})[0];
  const double level = rms(before, 18432, 4096);
  // No reset: the output carries on at once, then settles at half level within one frame.
  EXPECT_GT(rms(after, 0, 256), 0.6 * level);
  EXPECT_NEAR(rms(after, 2048, 4096) / level, 0.5, 0.02);
}

TEST(SignalPath, OutputNeverLeavesPlusMinusOne) {
  Instance instance("gyrelle-stereo");
  instance.start();
  instance.setParameter(7, 1.0f);
  instance.setParameter(8, 1.0f);
  instance.setParameter(1, 1.0f);
  const auto loud = noise(30000, 5, 20.0f);
  const auto out = instance.run({loud, sine(100.0, kRate, 30000, 50.0)});
  for (const auto& channel : out) {
    ASSERT_TRUE(allFinite(channel));
    EXPECT_LE(peak(channel), 1.0f);
  }
  instance.setParameter(7, 0.0f);
  instance.setParameter(8, 0.0f);
  const auto quiet = instance.run({loud, loud});
  for (size_t i = 3000; i < loud.size(); ++i) ASSERT_EQ(quiet[0][i], 0.0f);
}

TEST(SignalPath, NonFiniteSamplesCountAsSilence) {
  auto input = sine(700.0, kRate, 20000);
  auto cleaned = input;
  const float hostile[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::signaling_NaN()};
  for (size_t i = 0; i < 40; ++i) {
    input[5000 + i * 37] = hostile[i % 4];
    cleaned[5000 + i * 37] = 0.0f;
  }
  Instance a("gyrelle-mono"), b("gyrelle-mono");
  a.start();
  b.start();
  a.setParameter(7, 0.5f);
  b.setParameter(7, 0.5f);
  const auto out = a.run({input})[0];
  EXPECT_TRUE(allFinite(out));
  EXPECT_EQ(out, b.run({cleaned})[0]);
}

TEST(SignalPath, AbsurdlyLoudInputRecoversWithinTwoFrames) {
  auto input = sine(700.0, kRate, 30000, 0.3);
  for (size_t i = 10000; i < 10100; ++i) input[i] = (i % 2 ? 3e38f : -3e38f);
  Instance instance("gyrelle-stereo");
  instance.start();
  const auto out = instance.run({input, input});
  const auto clean = [&] {
    Instance reference("gyrelle-stereo");
    reference.start();
    return reference.run({sine(700.0, kRate, 30000, 0.3), sine(700.0, kRate, 30000, 0.3)});
  }();
  for (const auto& channel : out) ASSERT_TRUE(allFinite(channel));
  // Two frames after the burst has left the input frame, the sine is back at its level.
  const size_t settled = 10100 + kLatency + 2 * 1024;
  EXPECT_NEAR(rms(out[0], settled, 8192) / rms(clean[0], settled, 8192), 1.0, 0.1);
  EXPECT_LT(std::fabs(out[0][settled + 100]), 0.99f);
}

TEST(SignalPath, EmptyNegativeAndNullBlocksAreHarmless) {
  Instance instance("gyrelle-stereo");
  instance.start();
  std::vector<float> in(64, 0.25f), left(64, 7.0f), right(64, 7.0f);
  float* ins[2] = {in.data(), in.data()};
  float* outs[2] = {left.data(), right.data()};
  AEffect* e = instance.effect();
  for (int32_t frames : {0, -1, -100000}) {
    e->processReplacing(e, ins, outs, frames);
    e->process(e, ins, outs, frames);
  }
  EXPECT_EQ(left[0], 7.0f);
  e->processReplacing(e, ins, nullptr, 64);
  e->processReplacing(e, nullptr, outs, 64);  // no inputs: silence in
  EXPECT_EQ(left[0], 0.0f);
  float* oneMissing[2] = {nullptr, right.data()};
  float* noInput[2] = {in.data(), nullptr};
  e->process(e, noInput, oneMissing, 64);
  e->processReplacing(e, noInput, oneMissing, 64);
  EXPECT_TRUE(allFinite(right));
}

}  // namespace

namespace {

// Synthesis phases stay within one turn, so quality does not decay with running time.
TEST(SignalPath, QualityDoesNotDecayOverMinutesOfSteadyInput) {
  Instance instance("gyrelle-mono");
  instance.start(kRate, 4096);
  instance.setParameter(2, 0.0f);  // Range 0
  instance.setParameter(0, 0.6f);  // render level 3
  const double frequency = 3000.0;
  const size_t window = 4096;
  const size_t minute = static_cast<size_t>(kRate) * 61;
  std::vector<float> in(window), left(window), right(window);
  double early = 0, late = 0;
  for (size_t start = 0; start < minute + window; start += window) {
    for (size_t i = 0; i < window; ++i) {
      in[i] = static_cast<float>(0.5 * std::sin(2.0 * 3.14159265358979323846 * frequency *
                                                static_cast<double>((start + i) % 44100) / kRate));
    }
    float* ins[1] = {in.data()};
    float* outs[2] = {left.data(), right.data()};
    instance.effect()->processReplacing(instance.effect(), ins, outs, static_cast<int32_t>(window));
    // The sine repeats every second exactly: fit it from the start of each second.
    if (start == 11 * window) early = sineSnrDb(left, 0, window, frequency, kRate);
    if (start + window > minute && late == 0) late = sineSnrDb(left, 0, window, frequency, kRate);
  }
  RecordProperty("snr_after_1s", std::to_string(early));
  RecordProperty("snr_after_61s", std::to_string(late));
  EXPECT_GT(early, 30.0);
  EXPECT_GT(late, early - 1.0) << "early " << early << " dB, late " << late << " dB";
}

}  // namespace

namespace {

// Both block entries flush denormals for their duration and give the host its
// floating-point mode back.
TEST(SignalPath, DenormalsAreFlushedAndTheHostModeIsRestored) {
  Instance instance("gyrelle-stereo");
  instance.start();
  dryOnly(instance);
  const std::vector<float> tiny(4096, 1e-39f);  // a denormal
  const unsigned hostMode = _mm_getcsr() & ~0x8040u;  // the host runs without flushing
  _mm_setcsr(hostMode);
  for (bool replacing : {true, false}) {
    const auto out = instance.run({tiny, tiny}, 512, replacing);
    EXPECT_EQ(_mm_getcsr(), hostMode);
    for (size_t i = kLatency; i < out[0].size(); ++i) ASSERT_EQ(out[0][i], 0.0f) << i;
  }
}

}  // namespace
