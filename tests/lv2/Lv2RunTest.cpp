// Running both plug-ins through lilv: any block size and in place give the
// same output, deactivate clears the stream, hostile control values act as
// the VST 2 build's parameter writes do, and the control outputs.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "tests/engine/OutputFixture.h"
#include "tests/lv2/LilvHost.h"

namespace gyrelle::testing {
namespace {

constexpr size_t kFrames = 30000;

std::vector<std::vector<float>> signalFor(int32_t inputs, size_t frames = kFrames) {
  std::vector<std::vector<float>> in;
  for (int32_t ch = 0; ch < inputs; ++ch) in.push_back(fixtureInput(ch, frames));
  return in;
}

bool allFinite(const std::vector<std::vector<float>>& out) {
  for (const auto& channel : out) {
    for (float x : channel) {
      if (!std::isfinite(x)) return false;
    }
  }
  return true;
}

class Lv2Run : public ::testing::TestWithParam<const char*> {
 protected:
  LilvBundle bundle;
};

TEST_P(Lv2Run, AnyBlockSizeAndInPlaceGiveTheSameOutput) {
  LilvEffect reference(bundle, GetParam());
  ASSERT_TRUE(reference.valid());
  const auto in = signalFor(reference.inputs());
  reference.activate();
  const auto expected = reference.run(in, 512);
  EXPECT_GT(std::fabs(expected[0][20000]) + std::fabs(expected[0][25000]), 0.0f);  // sound came out
  if (reference.inputs() == 1) {
    EXPECT_EQ(expected[0], expected[1]);
  }

  for (bool inPlace : {false, true}) {
    SCOPED_TRACE(inPlace ? "in place" : "separate buffers");
    LilvEffect effect(bundle, GetParam());
    effect.activate();
    const auto out = effect.runPattern(in, {0, 1, 4096, 10000, 0, 1}, inPlace);
    EXPECT_EQ(out[0], expected[0]);
    EXPECT_EQ(out[1], expected[1]);
  }
}

TEST_P(Lv2Run, DeactivateClearsTheStream) {
  LilvEffect used(bundle, GetParam());
  LilvEffect fresh(bundle, GetParam());
  const auto first = signalFor(used.inputs(), 20000);
  std::vector<std::vector<float>> second;
  for (const auto& channel : first) second.emplace_back(channel.rbegin(), channel.rend());
  used.activate();
  used.run(first);
  used.deactivate();
  used.activate();
  fresh.activate();
  EXPECT_EQ(used.run(second), fresh.run(second));
}

struct HostileControl {
  const char* symbol;
  float held;        // the value before
  float hostile;     // what the host then writes
  float equivalent;  // what the effect must make of it
};

// NaN keeps the value the effect has; infinities and values out of range
// are clamped, as the VST 2 build does with its parameter writes.
const HostileControl kHostile[] = {
    {"range", 12.0f, NAN, 12.0f},
    {"range", 12.0f, INFINITY, 48.0f},
    {"range", 12.0f, -1000.0f, 0.0f},
    {"speed", 1.0f, -INFINITY, -20.0f},
    {"speed", 1.0f, NAN, 1.0f},
    {"grooves", 6.0f, NAN, 6.0f},
    {"grooves", 6.0f, 1e30f, 10.0f},
    {"grooves", 6.0f, 6.4f, 6.0f},
    {"render_level", 3.0f, -INFINITY, 1.0f},
    {"wet_level", -6.0f, -INFINITY, -90.0f},
    {"wet_level", -6.0f, 400.0f, 1.583625f},
    {"dry_level", 0.0f, NAN, 0.0f},
    {"pitch_bias", 0.5f, 7.0f, 1.0f},
    {"loudest_pitch", 30.0f, -INFINITY, 10.0f},
};

TEST_P(Lv2Run, HostileControlValuesActAsTheirSoundEquivalents) {
  for (const HostileControl& c : kHostile) {
    SCOPED_TRACE(std::string(c.symbol) + " = " + std::to_string(c.hostile));
    LilvEffect hostile(bundle, GetParam());
    LilvEffect plain(bundle, GetParam());
    const auto in = signalFor(hostile.inputs(), 12000);
    for (LilvEffect* effect : {&hostile, &plain}) {
      effect->setControl("dry_level", -12.0f);
      effect->setControl(c.symbol, c.held);
      effect->activate();
    }
    EXPECT_EQ(hostile.run(in), plain.run(in));
    hostile.setControl(c.symbol, c.hostile);
    plain.setControl(c.symbol, c.equivalent);
    const auto out = hostile.run(in);
    EXPECT_TRUE(allFinite(out));
    EXPECT_EQ(out, plain.run(in));
  }
}

TEST_P(Lv2Run, LatencyAndGroovePhaseComeOutOfEveryRun) {
  LilvEffect effect(bundle, GetParam());
  effect.setControl("speed", 2.0f);
  effect.activate();
  float* none[2] = {nullptr, nullptr};
  effect.runBlock(none, none, 0);
  EXPECT_EQ(effect.control(9), 1024.0f);
  const float atStart = effect.control(10);
  const auto in = signalFor(effect.inputs(), 22050);
  effect.run(in);
  const float later = effect.control(10);
  EXPECT_NE(later, atStart);  // half a second at 2 Hz moved the grooves
  EXPECT_GE(later, 0.0f);
  EXPECT_LT(later, 4.0f);  // the default four grooves
  // Speed 0 holds the grooves where they are.
  effect.setControl("speed", 0.0f);
  effect.run(in);
  const float held = effect.control(10);
  effect.run(in);
  EXPECT_EQ(effect.control(10), held);
}

INSTANTIATE_TEST_SUITE_P(Builds, Lv2Run, ::testing::Values("urn:quillfen:gyrelle:mono", "urn:quillfen:gyrelle:stereo"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.index == 0 ? "Mono" : "Stereo");
                         });

}  // namespace
}  // namespace gyrelle::testing
