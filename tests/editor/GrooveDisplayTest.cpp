// The groove display: the ladder's geometry from Range, its ends, and its
// redraw at every idle.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "editor/GrooveDisplay.h"
#include "tests/editor/EditorFixture.h"

namespace gyrelle::testing {
namespace {

constexpr uint32_t kGreenPixel = 0x00FF00;

TEST_F(EditorTest, RangeZeroLaysTheLadderOnTheCentreRow) {
  effect->writeParameter(2, 0.0f);
  openPanel();
  idle();
  GrooveDisplay* display = editor->grooveDisplay();
  ASSERT_EQ(display->rect.width(), 85);
  ASSERT_EQ(display->rect.height(), 223);
  for (int i = 0; i < GrooveDisplay::kRungs; ++i) {
    EXPECT_LE(std::abs(display->frontPoints()[i].v - 111), 12) << i;
    EXPECT_EQ(display->frontPoints()[i].v - 111, 111 - display->backPoints()[i].v) << i;
  }
  // Both ends meet on the vertical centre line.
  for (int i : {0, GrooveDisplay::kRungs - 1}) {
    EXPECT_EQ(display->frontPoints()[i].h, 42);
    EXPECT_EQ(display->frontPoints()[i].v, 111);
    EXPECT_EQ(display->backPoints()[i].h, 42);
  }
  const PanelRect r = display->rect;
  EXPECT_EQ(pixel(r.left + 42, r.top + 180), kGreenPixel);  // the stem up from the bottom centre
  EXPECT_EQ(pixel(r.left + 42, r.top + 40), kGreenPixel);   // the stem down from the top centre
  EXPECT_EQ(pixel(r.left + 5, r.top + 5), 0u);
}

TEST_F(EditorTest, RangeOneSpansNinetyPercentOfTheHeight) {
  effect->writeParameter(2, 1.0f);
  openPanel();
  idle();
  GrooveDisplay* display = editor->grooveDisplay();
  EXPECT_EQ(display->frontPoints()[0].v, 211);
  EXPECT_EQ(display->frontPoints()[GrooveDisplay::kRungs - 1].v, 11);
  EXPECT_EQ(display->frontPoints()[0].h, 42);
  // Away from the ends the rungs are wide: the fade is loudest there.
  int widest = 0;
  for (int i = 0; i < GrooveDisplay::kRungs; ++i)
    widest = std::max(widest, std::abs(display->frontPoints()[i].h - display->backPoints()[i].h));
  EXPECT_GT(widest, 40);
  const PanelRect r = display->rect;
  EXPECT_EQ(pixel(r.left + 42, r.top + 216), kGreenPixel);
}

TEST_F(EditorTest, TheDisplayRedrawsAtEveryIdle) {
  openPanel();
  idle();
  const int32_t presented = window().presentCount();
  idle();
  idle();
  EXPECT_GE(window().presentCount(), presented + 2);
}

TEST(GrooveDisplayAlone, WithoutAnEngineItStaysBlack) {
  PanelSurface surface(100, 100, 0x123456);
  Canvas canvas(nullptr, &surface, nullptr);
  GrooveDisplay display(PanelRect{10, 10, 40, 60}, nullptr, nullptr);
  display.draw(canvas);
  EXPECT_EQ(surface.pixel(20, 30), 0u);
  EXPECT_EQ(surface.pixel(5, 5), 0x123456u);
}

}  // namespace
}  // namespace gyrelle::testing
