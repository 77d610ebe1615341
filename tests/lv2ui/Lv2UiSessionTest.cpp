// A whole LV2 session under Xvfb: the DSP library run by lilv and the panel's
// UI in the same host, the host passing control port values between them as
// LV2 hosts do. The grooves' phase the DSP reports turns the panel's display,
// and the panel's edits reach the DSP's ports in their units.
#include <cmath>

#include "tests/lv2/LilvHost.h"
#include "tests/lv2ui/UiHostFixture.h"

namespace gyrelle::testing {
namespace {

constexpr const char* kSymbols[] = {"render_level", "grooves",       "range",     "speed",    "pitch_bias",
                                    "volume_bias",  "loudest_pitch", "dry_level", "wet_level"};
constexpr uint32_t kPhasePort = 10;
constexpr uint32_t kBlock = 512;

class Lv2UiSession : public Lv2UiX11 {
 protected:
  // The host's UI loop: every control port's value to the UI.
  void tellUi() {
    for (uint32_t port = 0; port < 9; ++port) portEvent(port, dsp.control(port));
    portEvent(kPhasePort, dsp.control(kPhasePort));
  }
  // The UI's writes to the DSP's ports, applied at its next run.
  void applyWrites() {
    for (; applied < events.size(); ++applied) {
      const HostEvent& e = events[applied];
      if (e.kind == HostEvent::Write && e.port < 9) dsp.setControl(kSymbols[e.port], e.value);
    }
  }
  void runFor(int blocks) {
    float* in[] = {input.data()};
    float* out[] = {left.data(), right.data()};
    for (int b = 0; b < blocks; ++b) {
      for (uint32_t i = 0; i < kBlock; ++i) input[i] = 0.25f * std::sin(0.05f * float(frames++));
      dsp.runBlock(in, out, kBlock);
    }
  }

  LilvBundle bundle;
  LilvEffect dsp{bundle, kMono, 48000.0};
  std::vector<float> input = std::vector<float>(kBlock), left = std::vector<float>(kBlock),
                     right = std::vector<float>(kBlock);
  size_t applied = 0;
  uint64_t frames = 0;
};

TEST_F(Lv2UiSession, TheDspsPhaseTurnsTheDisplayAndPanelEditsReachTheDsp) {
  ASSERT_TRUE(dsp.valid());
  dsp.setControl("speed", 5.0f);
  dsp.activate();
  handle = instantiate(top);
  ASSERT_NE(handle, nullptr);
  tellUi();
  moveTo(300, 300);
  const std::vector<uint32_t> still = settledRead();

  runFor(47);  // half a second
  const float phase = dsp.control(kPhasePort);
  EXPECT_GT(phase, 0.0f);
  EXPECT_LT(phase, 4.0f);  // four grooves by default
  tellUi();
  const std::vector<uint32_t> turned = settledRead();
  const auto [inDisplay, outside] = differences(still, turned, 415, 47, 500, 270);
  EXPECT_GT(inDisplay, 20);
  EXPECT_EQ(outside, 0);

  // A drag of 60 pixels up on the Range knob: 24 + 18 semitones, in the DSP's port.
  moveTo(240, 120);
  press();
  idleFor(5);
  moveTo(240, 60);
  idleFor(5);
  release();
  idleFor(5);
  applyWrites();
  runFor(1);
  EXPECT_FLOAT_EQ(dsp.control(2), 42.0f);
  tellUi();  // the host's echo of the value moves nothing further
  idleFor(3);
  EXPECT_EQ(applied, events.size());
  dsp.deactivate();
}

}  // namespace
}  // namespace gyrelle::testing
