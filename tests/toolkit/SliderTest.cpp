// The vertical slider's drawing positions and drag arithmetic, in the
// panel's configuration: rect (12, 58, 28, 270), travel 58..257, handle
// 16 x 12, value 1 at the top.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/toolkit/HeadlessFixture.h"
#include "toolkit/Canvas.h"
#include "toolkit/PanelBitmap.h"
#include "toolkit/VerticalSlider.h"

namespace gyrelle::testing {
namespace {

constexpr uint32_t kHandleId = 900;  // 16 x 12, first row white, then grey and silver stripes

class Values : public ValueListener {
 public:
  void widgetChanged(Canvas&, ValueWidget* widget) override { seen.push_back(widget->value()); }
  std::vector<float> seen;
};

class CountingHost : public PanelIdleHost {
 public:
  void idleWhileTracking() override { ++calls; }
  int calls = 0;
};

class Slider : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    frame = openFrame(100, 300, &host);
    window = &windowOf(*frame);
    PanelBitmap* handle = new PanelBitmap(kHandleId);
    slider = new VerticalSlider(PanelRect{12, 58, 28, 270}, &values, 7, 58, 257, handle, nullptr,
                                PanelPoint{0, 0}, SliderTopIsMaximum);
    handle->release();
    frame->addWidget(slider);
  }
  void show(float value) {
    slider->setValue(value);
    frame->drawWidgetNow(slider);
  }
  // Presses at `at` with `buttons`, then the pointer follows `steps`; let go after them.
  void drag(PanelPoint at, int32_t buttons, const std::vector<PointerStep>& steps) {
    window->setPointer(at, buttons);
    window->scriptPointer(steps);
    window->queueButtonPress(1, at);
    frame->refreshAll();
  }
  // The rows where handle pixels (not the black of the empty track) are.
  std::pair<int, int> handleRows() {
    int first = -1, last = -1;
    for (int y = 0; y < 300; ++y) {
      if (countPixels(window->surface(), kBlack, 12, y, 28, y + 1) < 16) {
        if (first < 0) first = y;
        last = y;
      }
    }
    return {first, last};
  }

  CountingHost host;
  Values values;
  std::unique_ptr<PanelFrame> frame;
  HeadlessWindow* window = nullptr;
  VerticalSlider* slider = nullptr;
};

TEST_F(Slider, HandlePositionFollowsTheValue) {
  struct Case { float value; int top; };
  for (const Case& c : {Case{1.0f, 58}, Case{0.0f, 257}, Case{0.5f, 157}}) {
    show(c.value);
    EXPECT_EQ(slider->handleTop(), c.top) << c.value;
    // The white top row of the handle is transparent: the drawn rows start one lower.
    EXPECT_EQ(handleRows(), std::make_pair(c.top + 1, c.top + 11)) << c.value;
    EXPECT_EQ(slider->drawnValue(), c.value);
  }
  // A value above 1 is held at the top of the travel.
  show(7.0f);
  EXPECT_EQ(slider->handleTop(), 58);
}

TEST_F(Slider, DraggingByTheTopRowMapsTheCursorToTheValue) {
  struct Case { int32_t cursorV; float value; };
  for (const Case& c : {Case{58, 1.0f}, Case{257, 0.0f}, Case{300, 0.0f}, Case{-50, 1.0f},
                        Case{157, 1.0f - 99.0f / 199.0f}}) {
    show(0.5f);
    values.seen.clear();
    drag({20, 157}, MouseLeft, {{{20, c.cursorV}, MouseLeft}});
    EXPECT_NEAR(slider->value(), c.value, 1e-6) << c.cursorV;
    ASSERT_FALSE(values.seen.empty());
    EXPECT_NEAR(values.seen.back(), c.value, 1e-6);
  }
  EXPECT_GE(host.calls, 1);  // the idle step ran during the drag
}

TEST_F(Slider, GrabbingInsideTheHandleKeepsTheGrabOffset) {
  show(0.5f);  // top 157
  drag({20, 163}, MouseLeft, {{{20, 69}, MouseLeft}});  // grabbed 6 rows down
  EXPECT_NEAR(slider->value(), 1.0f - 5.0f / 199.0f, 1e-6);
}

TEST_F(Slider, ShiftMovesOneTenthAsFar) {
  show(0.5f);
  drag({20, 157}, MouseLeft | ModShift, {{{20, 257}, MouseLeft | ModShift}});
  EXPECT_NEAR(slider->value(), 0.5f - 0.5f / 10.0f, 1e-5);  // 100 px: about 100 / 199 / 10
}

TEST_F(Slider, ShiftReleasedJumpsThenFineAgainFromTheFirstReference) {
  show(0.5f);
  drag({20, 157}, MouseLeft | ModShift,
       {{{20, 207}, MouseLeft | ModShift}, {{20, 207}, MouseLeft}, {{20, 107}, MouseLeft | ModShift}});
  const float absoluteAt207 = 1.0f - 149.0f / 199.0f;
  const float absoluteAt107 = 1.0f - 49.0f / 199.0f;
  ASSERT_GE(values.seen.size(), 4u);
  EXPECT_NEAR(values.seen[1], 0.5f + (absoluteAt207 - 0.5f) / 10, 1e-5);  // fine
  EXPECT_NEAR(values.seen[2], absoluteAt207, 1e-5);                       // shift let go: absolute
  EXPECT_NEAR(slider->value(), 0.5f + (absoluteAt107 - 0.5f) / 10, 1e-5); // fine from the old reference
}

TEST_F(Slider, ShiftPressedDuringADragTakesANewReference) {
  show(0.5f);
  drag({20, 157}, MouseLeft, {{{20, 207}, MouseLeft}, {{20, 207}, MouseLeft | ModShift},
                              {{20, 107}, MouseLeft | ModShift}});
  const float at207 = 1.0f - 149.0f / 199.0f, at107 = 1.0f - 49.0f / 199.0f;
  EXPECT_NEAR(slider->value(), at207 + (at107 - at207) / 10, 1e-5);
}

TEST_F(Slider, AltClickAnywhereResetsToTheDefault) {
  show(0.9f);
  drag({14, 260}, MouseLeft | ModAlt, {});  // on the track, far from the handle
  EXPECT_EQ(slider->value(), 0.5f);
  EXPECT_EQ(values.seen, std::vector<float>{0.5f});
  show(0.5f);
  values.seen.clear();
  drag({14, 260}, MouseLeft | ModAlt, {});  // already drawn at the default: nobody is told
  EXPECT_TRUE(values.seen.empty());
  slider->setDefaultValue(0.25f);
  drag({14, 260}, MouseLeft | ModAlt, {});
  EXPECT_EQ(slider->value(), 0.25f);
}

TEST_F(Slider, PressesOutsideTheHandleOrWithOtherButtonsAreIgnored) {
  show(0.5f);  // handle rows 157..169 (inclusive test)
  drag({20, 156}, MouseLeft, {{{20, 58}, MouseLeft}});   // just above
  drag({20, 170}, MouseLeft, {{{20, 58}, MouseLeft}});   // just below
  drag({20, 160}, MouseRight, {{{20, 58}, MouseRight}});
  drag({20, 160}, MouseMiddle, {{{20, 58}, MouseMiddle}});
  drag({20, 160}, MouseLeft | ModControl, {{{20, 58}, MouseLeft}});
  EXPECT_EQ(slider->value(), 0.5f);
  EXPECT_TRUE(values.seen.empty());
  slider->setEnabled(false);
  drag({20, 160}, MouseLeft, {{{20, 58}, MouseLeft}});
  EXPECT_EQ(slider->value(), 0.5f);
  slider->setEnabled(true);
  drag({20, 169}, MouseLeft, {{{20, 58}, MouseLeft}});  // bottom edge of the handle counts
  EXPECT_NE(slider->value(), 0.5f);
}

TEST_F(Slider, PlainHandleAndOffsetsAndDegenerateSetups) {
  slider->setMaskedHandle(false);
  show(1.0f);
  EXPECT_EQ(countPixels(window->surface(), kWhite, 12, 58, 28, 59), 16);  // white row painted
  slider->setHandleOffset({2, 3});
  show(1.0f);
  EXPECT_EQ(slider->handleTop(), 61);
  // No handle and no travel: draws, ignores presses, never divides by zero.
  auto* bare = new VerticalSlider(PanelRect{40, 10, 56, 50}, &values, 1, 20, 20, nullptr, nullptr,
                                  PanelPoint{0, 0}, SliderTopIsMaximum);
  frame->addWidget(bare);
  bare->setValue(0.3f);
  frame->drawWidgetNow(bare);
  drag({45, 20}, MouseLeft, {{{45, 30}, MouseLeft}});
  EXPECT_EQ(bare->value(), 0.3f);
  PanelBitmap* handle = new PanelBitmap(kHandleId);
  auto* flat = new VerticalSlider(PanelRect{60, 10, 76, 50}, &values, 1, 20, 20, handle, nullptr,
                                  PanelPoint{0, 0}, SliderTopIsMaximum);
  handle->release();
  frame->addWidget(flat);
  flat->setValue(0.3f);
  frame->drawWidgetNow(flat);
  drag({65, 21}, MouseLeft, {{{65, 40}, MouseLeft}});
  EXPECT_FALSE(std::isnan(flat->value()));
  EXPECT_EQ(flat->value(), 0.3f);
}

}  // namespace
}  // namespace gyrelle::testing
