// Parameter writes from threads other than the panel's: the hand-over keeps
// value and text together, nothing of the panel is touched on the writing
// thread, and the next idle shows the value. Run under ThreadSanitizer by
// tools/test-stages/30-tsan.sh.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "editor/KnobView.h"
#include "editor/ParameterHandOver.h"
#include "tests/editor/EditorFixture.h"
#include "toolkit/ChoiceMenu.h"
#include "toolkit/VerticalSlider.h"

namespace gyrelle::testing {
namespace {

// Two writers at once, as an automation thread and the audio thread can be:
// the panel's thread only ever takes a value one of them wrote, and once both
// are done the last value written is the one it shows.
TEST(ParameterHandOver, TheLatestWrittenValueArrivesWhateverTheWriters) {
  ParameterHandOver handOver;
  constexpr int kWrites = 20000;
  std::atomic<bool> done{false};
  // Writer 0 writes 0, 2, 4 ... and writer 1 writes 1, 3, 5 ... in turn.
  auto writer = [&](int parity) {
    for (int i = 0; i < kWrites; ++i) handOver.post(3, static_cast<float>(2 * i + parity));
  };
  std::thread first(writer, 0), second(writer, 1);
  std::thread closer([&] {
    first.join();
    second.join();
    done = true;
  });
  int taken = 0, impossible = 0;
  float lastEven = -1.0f, lastOdd = -1.0f;
  while (!done) {
    float value = 0.0f;
    if (!handOver.take(3, value)) continue;
    ++taken;
    const bool even = static_cast<int>(value) % 2 == 0;
    float& last = even ? lastEven : lastOdd;
    // Each writer's values only grow: an older one after a newer one would be stale.
    impossible += value < last || value != std::floor(value) || value >= 2 * kWrites;
    last = value;
  }
  closer.join();
  EXPECT_EQ(impossible, 0) << "of " << taken;
  float value = 0.0f;
  if (handOver.take(3, value)) {
    EXPECT_TRUE(value == 2 * kWrites - 2 || value == 2 * kWrites - 1) << value;
  } else {
    EXPECT_GT(taken, 0);  // the reader already took the last one
  }
  EXPECT_FALSE(handOver.take(3, value));
  EXPECT_FALSE(handOver.take(9, value));
  handOver.post(-1, 0.5f);
  handOver.post(3, 0.25f);
  ASSERT_TRUE(handOver.take(3, value));
  EXPECT_EQ(value, 0.25f);
  handOver.post(4, 0.75f);
  handOver.clear();
  EXPECT_FALSE(handOver.take(4, value));
}

TEST_F(EditorTest, AWriteFromAnotherThreadIsShownAtTheNextIdle) {
  openPanel();
  KnobView* speed = editor->knob(3);
  std::thread host([&] {
    effect->writeParameter(3, 0.9f);
    effect->writeParameter(0, 0.85f);
    effect->writeParameter(7, 1.0f);
  });
  host.join();
  EXPECT_STREQ(speed->valueText(), "0.297");  // untouched until the panel's thread idles
  EXPECT_EQ(editor->renderMenu()->currentIndex(nullptr), 1);
  idle();
  EXPECT_STREQ(speed->valueText(), "5.008");
  EXPECT_EQ(editor->renderMenu()->currentIndex(nullptr), 3);
  EXPECT_EQ(editor->slider(7)->value(), 1.0f);
  idle();
  EXPECT_EQ(editor->slider(7)->handleTop(), 58);
}

TEST_F(EditorTest, AudioThreadAutomationWhileThePanelIdlesAndReopens) {
  openPanel();
  hostRecord().recordAutomations = false;
  std::atomic<bool> done{false};
  std::thread audio([&] {
    std::vector<float> in(256, 0.1f), left(256), right(256);
    float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {left.data(), right.data()};
    for (int step = 0; step < 400; ++step) {
      effect->processReplace(ins, outs, 256);
      for (int32_t index = 0; index < 9; ++index) {
        effect->writeParameter(index, float((step + index * 11) % 100) / 99.0f);
      }
    }
    done = true;
  });
  int cycles = 0;
  while (!done) {
    // The panel's own edits (a Range drag) and an unpaired reopen, all on the panel's thread.
    if (cycles % 10 == 0) press(PanelPoint{240, 100});
    movePointer(PanelPoint{240, 60 + cycles % 40}, MouseLeft);
    idle();
    if (++cycles % 50 == 0) openPanel();
  }
  audio.join();
  movePointer(PanelPoint{240, 100}, 0);  // the drag ends
  idle();
  effect->writeParameter(2, 0.5f);
  idle();
  EXPECT_STREQ(editor->knob(2)->valueText(), "24");
}

}  // namespace
}  // namespace gyrelle::testing
