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

TEST(ParameterHandOver, ValueAndTextAlwaysArriveTogether) {
  ParameterHandOver handOver;
  std::atomic<bool> done{false};
  auto writer = [&](int seed) {
    for (int i = 0; i < 20000; ++i) {
      const float v = float((i * 37 + seed) % 1000) / 999.0f;
      char text[kKnobTextBytes];
      knobValueText(3, v, text);
      handOver.post(3, v, text);
    }
  };
  std::thread first(writer, 1), second(writer, 500);
  std::thread closer([&] {
    first.join();
    second.join();
    done = true;
  });
  int taken = 0, mismatched = 0;
  while (!done) {
    float value = 0.0f;
    char text[kKnobTextBytes], expected[kKnobTextBytes];
    if (!handOver.take(3, value, text)) continue;
    ++taken;
    knobValueText(3, value, expected);
    mismatched += std::strcmp(text, expected) != 0;
  }
  closer.join();
  EXPECT_EQ(mismatched, 0) << "of " << taken;
  // With the writers gone the last complete write is there to take.
  float value = 0.0f;
  char text[kKnobTextBytes], expected[kKnobTextBytes];
  if (handOver.take(3, value, text)) {
    knobValueText(3, value, expected);
    EXPECT_STREQ(text, expected);
  } else {
    EXPECT_GT(taken, 0);  // the reader already took it
  }
  EXPECT_FALSE(handOver.take(3, value, text));
  EXPECT_FALSE(handOver.take(9, value, text));
  handOver.post(-1, 0.5f, "x");
  handOver.post(3, 0.5f, nullptr);
  ASSERT_TRUE(handOver.take(3, value, text));
  EXPECT_STREQ(text, "");
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
