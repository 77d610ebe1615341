// Stream resets, structural settings and the sample rate, on the engine itself.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "plugin/GrooveEngine.h"
#include "engine/ParameterTable.h"
#include "tests/support/LoadedPlugin.h"
#include "tests/support/Signals.h"

using namespace gyrelle;
using gyrelle::testing::Instance;

namespace {

void process(GrooveEngine& engine, size_t frames, int32_t block = 512) {
  std::vector<float> in(static_cast<size_t>(block), 0.1f), left(in.size()), right(in.size());
  float* ins[2] = {in.data(), in.data()};
  float* outs[2] = {left.data(), right.data()};
  for (size_t done = 0; done < frames; done += static_cast<size_t>(block)) engine.processReplace(ins, outs, block);
}

TEST(Stream, StructuralChangesApplyAtOnceUntilProcessingBegins) {
  GrooveEngine engine(nullptr, kStereoBuild);
  engine.writeParameter(kNumGrooves, 0.4f);
  EXPECT_EQ(engine.currentGrooveCount(), 5);
  process(engine, 2048);
  engine.writeParameter(kNumGrooves, 1.0f);
  engine.writeParameter(kRenderLevel, 0.9f);
  EXPECT_EQ(engine.currentGrooveCount(), 5);  // waits for the next block
  EXPECT_EQ(engine.currentOverlap(), 4);
  process(engine, 1, 1);
  EXPECT_EQ(engine.currentGrooveCount(), 10);
  EXPECT_EQ(engine.currentOverlap(), 16);
  EXPECT_FLOAT_EQ(engine.currentGroovePhase(), 0.5f);  // both changes restarted the cycle
  // After a suspend, writes apply at once again.
  engine.dispatch(effMainsChanged, 0, 0, nullptr, 0.0f);
  engine.writeParameter(kNumGrooves, 0.0f);
  EXPECT_EQ(engine.currentGrooveCount(), 2);
}

// The grooves cycle at the Speed rate at any finite positive sample rate.
TEST(Stream, GroovesCycleInTrueHertzAtEverySampleRate) {
  for (float rate : {22050.0f, 44100.0f, 48000.0f, 88200.0f, 96000.0f, 192000.0f}) {
    GrooveEngine engine(nullptr, kMonoBuild);
    engine.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    engine.writeParameter(kSpeed, 0.6f);
    // Overlap 4: the first block starts a frame 256 samples before its end,
    // so every 256 samples complete one frame.
    const int32_t frames = 400;
    process(engine, static_cast<size_t>(256 * frames), 256);
    const double expected = std::fmod(0.5 + speedHz(0.6f) * frames * 256.0 / rate / 4.0, 4.0);
    EXPECT_NEAR(engine.currentGroovePhase(), expected, 1e-3) << rate;
  }
  for (float rate : {0.0f, -48000.0f, NAN, INFINITY}) {
    GrooveEngine engine(nullptr, kMonoBuild);
    engine.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    EXPECT_EQ(engine.engineSampleRate(), 44100.0f) << rate;
    process(engine, 4096);
    EXPECT_TRUE(std::isfinite(engine.currentGroovePhase()));
  }
}

// Finite rates far outside audio (4.7e-38 and the like) broke the frequency
// arithmetic: the bin spacing flushed to zero, the phases went non-finite and
// every frame came out silent. They count as invalid like any other rate the
// engine cannot use.
TEST(Stream, AbsurdFiniteSampleRatesFallBackAndKeepTheSoundFlowing) {
  for (float rate : {1e-45f, 4.7e-38f, 1e-30f, 0.5f, 2e7f, 1e30f, 3.4e38f}) {
    Instance instance("gyrelle-stereo");
    instance.start(rate, 512);
    instance.setParameter(kRange, 0.0f);
    const auto input = gyrelle::testing::sine(1000.0, 44100.0, 16384);
    const auto out = instance.run({input, input});
    EXPECT_GT(gyrelle::testing::rms(out[0], 8192, 8192), 0.05) << rate;
  }
  for (float rate : {1.0f, 8000.0f, 384000.0f, 1e7f}) {
    GrooveEngine engine(nullptr, kMonoBuild);
    engine.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    EXPECT_EQ(engine.engineSampleRate(), rate);
  }
}

// The dry part of the output is absent for one frame after every reset.
size_t silentLeadIn(const std::vector<float>& x, size_t from) {
  size_t n = 0;
  while (from + n < x.size() && x[from + n] == 0.0f) ++n;
  return n;
}

TEST(Stream, GrooveCountChangesAndSuspendRestartTheStream) {
  Instance instance("gyrelle-mono");
  instance.start();
  instance.setParameter(7, 1.0f / 1.2f);
  instance.setParameter(8, 0.0f);
  auto input = gyrelle::testing::sine(300.0, 44100.0, 4096, 0.5);
  for (float& v : input) v += 0.25f;  // never exactly zero
  instance.run({input});
  instance.setParameter(1, 0.4f);  // 4 -> 5 grooves, while processing
  EXPECT_EQ(silentLeadIn(instance.run({input})[0], 0), 1024u);

  instance.setParameter(5, 0.9f);  // not structural: no reset
  EXPECT_EQ(silentLeadIn(instance.run({input})[0], 0), 0u);

  instance.dispatch(effMainsChanged, 0, 0);
  instance.dispatch(effMainsChanged, 0, 1);
  EXPECT_EQ(silentLeadIn(instance.run({input})[0], 0), 1024u);
  instance.dispatch(effMainsChanged, 0, 1);  // a resume alone changes nothing
  EXPECT_EQ(silentLeadIn(instance.run({input})[0], 0), 0u);
}

TEST(Stream, BlockSizeAnnouncementsDoNotLimitTheBlocks) {
  Instance instance("gyrelle-stereo");
  instance.start(48000.0f, 64);
  instance.dispatch(effSetBlockSizeAndSampleRate, 0, 16, nullptr, 48000.0f);
  const auto input = gyrelle::testing::sine(300.0, 48000.0, 30000);
  const auto out = instance.run({input, input}, 30000);
  EXPECT_GT(gyrelle::testing::rms(out[0], 10000, 10000), 0.01);
  EXPECT_LE(gyrelle::testing::peak(out[0]), 1.0f);
}

}  // namespace
