// The render level menu, the two level sliders and the decibel scale, bound
// to their parameters both ways.
#include <gtest/gtest.h>

#include "editor/LevelScaleView.h"
#include "editor/PanelLabel.h"
#include "tests/editor/EditorFixture.h"
#include "toolkit/ChoiceMenu.h"
#include "toolkit/VerticalSlider.h"

namespace gyrelle::testing {
namespace {

struct MenuCase {
  float value;
  int32_t entry;
};

TEST_F(EditorTest, RenderMenuShowsTheParameterAtOpen) {
  for (const MenuCase& c : {MenuCase{0.3f, 1}, MenuCase{0.1f, 0}, MenuCase{1.0f, 3}, MenuCase{0.0f, 0}}) {
    effect->writeParameter(0, c.value);
    openPanel();
    char text[256];
    EXPECT_EQ(editor->renderMenu()->currentIndex(text), c.entry) << c.value;
    editor->closeEditor();
  }
  EXPECT_EQ(PanelEditor::renderEntryFor(0.6f), 2);
  EXPECT_EQ(PanelEditor::renderEntryFor(-3.0f), 0);
}

TEST_F(EditorTest, ChoosingAnEntryWritesItsValueAndTellsTheHost) {
  openPanel();
  const float expected[] = {0.1f, 0.35f, 0.6f, 0.85f};
  for (int32_t entry = 0; entry < 4; ++entry) {
    hostRecord().automations.clear();
    platform.queuePopupChoice(entry);
    press(PanelPoint{350, 240});
    EXPECT_FLOAT_EQ(effect->readParameter(0), expected[entry]);
    ASSERT_EQ(hostRecord().automations.size(), 1u);
    EXPECT_EQ(hostRecord().automations[0].index, 0);
    EXPECT_EQ(editor->renderMenu()->currentIndex(nullptr), entry);
  }
  ASSERT_EQ(platform.lastPopupEntries().size(), 4u);
  EXPECT_EQ(platform.lastPopupEntries()[0], "1 (fastest)");
  EXPECT_EQ(platform.lastPopupEntries()[3], "4 (best)");
  EXPECT_STREQ(editor->renderCaption()->labelText(), "Render Level");
  EXPECT_STREQ(editor->dryCaption()->labelText(), "dry");
}

TEST_F(EditorTest, HostWritesMoveASliderAtTheNextIdle) {
  openPanel();
  VerticalSlider* dry = editor->slider(7);
  VerticalSlider* wet = editor->slider(8);
  // The default program: dry at the bottom beside "-oo", wet beside "0".
  EXPECT_EQ(dry->handleTop(), 257);
  EXPECT_EQ(wet->handleTop(), 91);
  effect->writeParameter(7, 1.0f);
  EXPECT_EQ(dry->handleTop(), 257);
  idle();
  EXPECT_EQ(dry->handleTop(), 58);
  effect->writeParameter(7, 0.5f);
  idle();
  EXPECT_EQ(dry->handleTop(), 157);
}

TEST_F(EditorTest, DraggingTheWetSliderWritesParameter8) {
  openPanel();
  VerticalSlider* wet = editor->slider(8);
  const int32_t grab = wet->handleTop();  // 91, the handle's top row
  hostRecord().automations.clear();
  // Grab the handle's top row, then the pointer moves down to the bottom and is let go.
  window().setPointer(PanelPoint{56, grab}, MouseLeft);
  window().scriptPointer({{{56, 150}, MouseLeft}, {{56, 257}, MouseLeft}, {{56, 257}, 0}});
  window().queueButtonPress(1, PanelPoint{56, grab});
  idle();
  EXPECT_FLOAT_EQ(effect->readParameter(8), 0.0f);
  EXPECT_FALSE(hostRecord().automations.empty());
  for (const Automation& a : hostRecord().automations) EXPECT_EQ(a.index, 8);
  idle();
  EXPECT_EQ(wet->handleTop(), 257);
}

TEST(LevelScale, MarkRowsFollowTheSliderGain) {
  LevelScaleView scale(PanelRect{28, 48, 47, 269}, ColourBlack, ColourGrey, 1.2f);
  const int32_t rows[] = {72, 92, 110, 126, 141, 165, 207, 257};
  for (int32_t i = 0; i < LevelScaleView::kMarks; ++i) EXPECT_EQ(scale.markRow(i), rows[i]) << i;
  EXPECT_STREQ(LevelScaleView::markText(7), "-oo");
  EXPECT_EQ(scale.markRow(8), 0);
  LevelScaleView broken(PanelRect{28, 48, 47, 269}, ColourBlack, ColourGrey, 0.0f);
  EXPECT_EQ(broken.markRow(0), 259);
}

TEST_F(EditorTest, LevelScaleDrawsGreyMarksOnBlackAndIgnoresPresses) {
  openPanel();
  effect->writeParameter(7, 0.5f);
  idle();  // the dry handle now spans rows 157 to 168
  // Column 28 is the dry slider's right edge and the scale's left one: the
  // scale, later in the frame, takes the press (the handle would have moved).
  // A scripted pointer lets go after one read, so a misrouted drag ends too.
  window().setPointer(PanelPoint{28, 160}, MouseLeft);
  window().scriptPointer({{{28, 160}, MouseLeft}, {{28, 150}, MouseLeft}});
  window().queueButtonPress(1, PanelPoint{28, 160});
  idle();
  int grey = 0;
  for (int y = 92; y <= 102; ++y)
    for (int x = 29; x < 47; ++x) grey += pixel(x, y) == 0x7F7F7F;
  EXPECT_GT(grey, 3);  // the "0" mark
  EXPECT_EQ(pixel(30, 80), 0x000000u);
  EXPECT_TRUE(hostRecord().automations.empty());
  EXPECT_FLOAT_EQ(effect->readParameter(7), 0.5f);
}

}  // namespace
}  // namespace gyrelle::testing
