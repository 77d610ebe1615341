// The help strip and its overlay: states, hover outlines, scrolling bounds,
// the scroll thumb, and the panel widgets it hides.
#include <gtest/gtest.h>

#include "editor/HelpText.h"
#include "editor/HelpView.h"
#include "editor/KnobView.h"
#include "tests/editor/EditorFixture.h"

namespace gyrelle::testing {
namespace {

constexpr uint32_t kWhitePixel = 0xFFFFFF, kCyanPixel = 0x00FFFF, kBlackPixel = 0x000000;

class HelpViewTest : public EditorTest {
 protected:
  HelpView& help() { return *editor->helpView(); }
};

TEST_F(HelpViewTest, PressesOpenTheHelpOrTheAboutPage) {
  openPanel();
  EXPECT_EQ(help().lineCount(), 34);
  press(PanelPoint{462, 10});
  EXPECT_TRUE(help().isShown());
  EXPECT_FALSE(help().isAboutMode());
  EXPECT_EQ(editor->panelFrame()->widgetCount(), 1);  // the rest of the panel is out
  press(PanelPoint{462, 10});                         // middle third: close
  EXPECT_FALSE(help().isShown());
  EXPECT_EQ(editor->panelFrame()->widgetCount(), 15);

  press(PanelPoint{463, 10});
  EXPECT_TRUE(help().isAboutMode());
  EXPECT_EQ(pixel(300, 100), kBlackPixel);  // the overlay covers the panel
  press(PanelPoint{415, 10});               // anywhere closes the about page
  EXPECT_FALSE(help().isShown());
}

TEST_F(HelpViewTest, ScrollingStopsAtBothEndsAndTheThumbFollows) {
  openPanel();
  press(PanelPoint{420, 10}, 0);
  PanelRect thumb = help().thumbRect();
  EXPECT_EQ(thumb.top, 45);
  EXPECT_EQ(thumb.bottom - thumb.top, 92);
  for (int i = 0; i < 25; ++i) press(PanelPoint{420, 10}, 0);  // left third: later lines
  EXPECT_EQ(help().firstLine(), 20);
  thumb = help().thumbRect();
  EXPECT_EQ(thumb.top, 177);
  EXPECT_EQ(thumb.bottom, 269);
  EXPECT_EQ(pixel(6, 200), kCyanPixel);
  EXPECT_EQ(pixel(6, 150), kBlackPixel);
  for (int i = 0; i < 25; ++i) press(PanelPoint{500, 10}, 0);  // right third: earlier lines
  EXPECT_EQ(help().firstLine(), 0);

  // The page is kept while the overlay is closed.
  press(PanelPoint{420, 10}, 0);
  press(PanelPoint{460, 10}, 0);
  EXPECT_FALSE(help().isShown());
  press(PanelPoint{420, 10}, 0);
  EXPECT_EQ(help().firstLine(), 1);
}

TEST_F(HelpViewTest, HoldingAButtonOverAnArrowScrollsAtEachIdle) {
  openPanel();
  press(PanelPoint{420, 10}, 0);
  movePointer(PanelPoint{420, 10}, MouseLeft);
  idle();  // hover found, the held button scrolls
  idle();
  EXPECT_EQ(help().firstLine(), 2);
  EXPECT_TRUE(help().hoverLower());
  movePointer(PanelPoint{420, 10}, 0);
  idle();
  EXPECT_EQ(help().firstLine(), 2);
}

TEST_F(HelpViewTest, HoverOutlinesAppearAndGoAtTheNextIdle) {
  openPanel();
  movePointer(PanelPoint{480, 10}, 0);
  idle();
  EXPECT_TRUE(help().hoverAbout());
  EXPECT_EQ(pixel(462, 0), kWhitePixel);  // outline of (462, 0, 512, 20)
  EXPECT_EQ(pixel(462, 10), kWhitePixel);
  movePointer(PanelPoint{300, 100}, 0);
  idle();
  EXPECT_FALSE(help().hoverAbout());
  EXPECT_EQ(pixel(462, 10), kBlackPixel);

  press(PanelPoint{420, 10}, 0);  // the help page: thirds
  movePointer(PanelPoint{460, 10}, 0);
  idle();
  EXPECT_TRUE(help().hoverMain());
  EXPECT_EQ(pixel(445, 10), kWhitePixel);
  movePointer(PanelPoint{490, 10}, 0);
  idle();
  EXPECT_TRUE(help().hoverUpper());
  EXPECT_EQ(pixel(479, 10), kWhitePixel);
  EXPECT_NE(pixel(445, 10), kWhitePixel);
}

TEST_F(HelpViewTest, WhileShownTheHiddenWidgetsNeitherDrawNorReact) {
  openPanel();
  press(PanelPoint{420, 10}, 0);
  movePointer(PanelPoint{240, 100}, 0);
  idle();
  const std::vector<uint32_t> before = window().pixels();
  press(PanelPoint{240, 100});  // where the Range knob was
  movePointer(PanelPoint{240, 20}, MouseLeft);
  idle();
  EXPECT_FLOAT_EQ(effect->readParameter(2), 0.5f);
  EXPECT_FALSE(editor->knob(2)->isDragging());
  // A host write to a knob redraws the whole panel, overlay included.
  effect->writeParameter(2, 0.9f);
  EXPECT_EQ(window().pixels(), before);
  EXPECT_STREQ(editor->knob(2)->valueText(), "43");
}

TEST(HelpArrow, PointsWhereItIsAimed) {
  PanelSurface surface(20, 30);
  Canvas canvas(nullptr, &surface, nullptr);
  HelpView::drawArrow(canvas, PanelPoint{10, 5}, 0, 10, ColourWhite);
  // Shaft from row 5 to the tip at row 15, head strokes back up to row 10.
  EXPECT_EQ(surface.pixel(10, 8), kWhitePixel);
  EXPECT_EQ(surface.pixel(7, 12), kWhitePixel);
  EXPECT_EQ(surface.pixel(13, 12), kWhitePixel);
  EXPECT_EQ(surface.pixel(7, 18), kBlackPixel);
}

}  // namespace
}  // namespace gyrelle::testing
