// Host automation on the audio thread while the panel is open: the effect's
// parameter writes, which reach the editor, still allocate nothing, take no
// lock and make no system call, and the panel shows the written values at
// its next idle.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "editor/KnobView.h"
#include "engine/ChannelBuild.h"
#include "tests/editor/EditorFixture.h"
#include "tests/support/RealtimeGuard.h"
#include "toolkit/VerticalSlider.h"

namespace gyrelle::testing {
namespace {

void automate(GrooveEffect& effect, int blocks) {
  std::vector<float> in(512), left(512), right(512);
  for (size_t i = 0; i < in.size(); ++i) in[i] = 0.3f * std::sin(0.01f * float(i));
  float* ins[2] = {in.data(), in.data()};
  float* outs[2] = {left.data(), right.data()};
  for (int step = 0; step < blocks; ++step) {
    effect.processReplace(ins, outs, 512);
    for (int32_t index = -1; index <= 9; ++index) {
      effect.writeParameter(index, 0.01f * float((step * 7 + index * 13) % 101));
    }
  }
}

TEST_F(EditorTest, AudioThreadAutomationStaysRealtimeSafeWithThePanelOpen) {
  openPanel();
  // Binds every lazily resolved symbol before counting.
  std::thread warmUp([&] { automate(*effect, 2); });
  warmUp.join();
  idle();

  hostRecord().recordAutomations = false;
  realtimeCounters().reset();
  std::atomic<bool> done{false};
  bool filtered = false;
  std::thread audio([&] {
    // The buffers of this thread come first; only the automation is counted.
    std::vector<float> in(512), left(512), right(512);
    float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {left.data(), right.data()};
    filtered = trapSystemCalls();
    countOnThisThread(true);
    for (int step = 0; step < 200; ++step) {
      effect->processReplace(ins, outs, 512);
      for (int32_t index = -1; index <= 9; ++index) {
        effect->writeParameter(index, 0.01f * float((step * 7 + index * 13) % 101));
      }
      effect->writeParameter(3, NAN);
      effect->writeParameter(2, 7.0f);
    }
    effect->writeParameter(3, 0.9f);
    effect->writeParameter(8, 0.25f);
    countOnThisThread(false);
    done = true;
  });
  while (!done) idle();
  audio.join();
  ASSERT_TRUE(filtered);
  EXPECT_EQ(realtimeCounters().findings(), "");

  idle();
  EXPECT_STREQ(editor->knob(3)->valueText(), "5.008");
  idle();
  EXPECT_EQ(editor->slider(8)->value(), 0.25f);
}

}  // namespace
}  // namespace gyrelle::testing
