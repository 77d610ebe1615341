// The rotary knob: its drawing geometry, its drag arithmetic and the value
// texts the editor gives it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "editor/KnobText.h"
#include "editor/KnobView.h"
#include "tests/editor/EditorFixture.h"

namespace gyrelle::testing {
namespace {

constexpr uint32_t kSpeedColour = 0x8080C4;  // (128, 128, 196)
constexpr uint32_t kSpeedDark = 0x555582;    // (85, 85, 130)

struct TipCase {
  float value;
  PanelPoint tip;
};

TEST_F(EditorTest, SpeedKnobNeedleAndStrips) {
  openPanel();
  KnobView* speed = editor->knob(3);
  EXPECT_EQ(speed->rect.width(), 101);
  EXPECT_EQ(speed->rect.height(), 129);
  EXPECT_EQ(speed->captionHeight(), 28);
  EXPECT_EQ(speed->needleCentre().h, 50);
  EXPECT_EQ(speed->needleCentre().v, 78);
  for (const TipCase& c : {TipCase{0.5f, {50, 30}}, TipCase{0.0f, {17, 111}}, TipCase{1.0f, {83, 111}}}) {
    speed->setValueText(c.value, "x");
    EXPECT_EQ(speed->needleTip().h, c.tip.h) << c.value;
    EXPECT_EQ(speed->needleTip().v, c.tip.v) << c.value;
  }
  const PanelColour dark = editor->knob(1)->darkColour();
  EXPECT_EQ(dark.red, 130);
  EXPECT_EQ(dark.green, 85);
  EXPECT_EQ(dark.blue, 85);

  // Drawn at 0.5: the needle runs straight up in the knob colour over the dark dial.
  effect->writeParameter(3, 0.5f);
  const PanelRect r = speed->rect;
  for (int v = 32; v < 74; v += 6) EXPECT_EQ(pixel(r.left + 50, r.top + v), kSpeedColour) << v;
  EXPECT_EQ(pixel(r.left + 30, r.top + 60), kSpeedDark);
  // Caption text only in rows 0..28, value text only in rows 101..129, both in the knob colour.
  int caption = 0, valueStrip = 0;
  for (int y = 0; y < 129; ++y)
    for (int x = 0; x < 101; ++x) {
      if (pixel(r.left + x, r.top + y) != kSpeedColour) continue;
      if (y < 28) ++caption;
      if (y > 101) ++valueStrip;
    }
  EXPECT_GT(caption, 20);
  EXPECT_GT(valueStrip, 20);
  EXPECT_STREQ(speed->shownText(), "0 Hz");
}

TEST_F(EditorTest, AKnobWithoutUnitShowsOnlyItsText) {
  openPanel();
  effect->writeParameter(1, 0.25f);
  EXPECT_STREQ(editor->knob(1)->shownText(), "4");
  effect->writeParameter(2, 0.99f);
  EXPECT_STREQ(editor->knob(2)->shownText(), "47 s/ tones");
}

struct DragCase {
  int32_t row;
  float value;
};

TEST_F(EditorTest, DraggingMeasuresFromThePressAt160PixelsForTheRange) {
  openPanel();
  effect->writeParameter(3, 0.2f);
  KnobView* speed = editor->knob(3);
  const int32_t column = speed->rect.left + 50;
  const int32_t pressRow = 100;
  press(PanelPoint{column, pressRow});
  ASSERT_TRUE(speed->isDragging());
  hostRecord().automations.clear();
  for (const DragCase& c : {DragCase{20, 0.7f}, DragCase{0, 0.825f}, DragCase{300, 0.0f}}) {
    movePointer(PanelPoint{column, c.row}, MouseLeft);
    idle();
    EXPECT_FLOAT_EQ(effect->readParameter(3), c.value) << c.row;
  }
  // Every change reached the host once; the knob text followed the value.
  ASSERT_EQ(hostRecord().automations.size(), 3u);
  EXPECT_EQ(hostRecord().automations[1].index, 3);
  EXPECT_FLOAT_EQ(hostRecord().automations[1].value, 0.825f);
  EXPECT_STREQ(speed->valueText(), "-20");

  // Staying away from the press row repeats the same value at each idle.
  idle();
  EXPECT_EQ(hostRecord().automations.size(), 4u);
  // Releasing ends the drag at the next idle without telling anyone.
  movePointer(PanelPoint{column, 10}, 0);
  idle();
  EXPECT_FALSE(speed->isDragging());
  EXPECT_EQ(hostRecord().automations.size(), 4u);
  EXPECT_FLOAT_EQ(effect->readParameter(3), 0.0f);
}

TEST_F(EditorTest, PressingWithoutMovingChangesNothing) {
  openPanel();
  press(PanelPoint{200, 100});
  idle();
  idle();
  EXPECT_TRUE(hostRecord().automations.empty());
  EXPECT_FLOAT_EQ(effect->readParameter(2), 0.5f);
}

struct TextCase {
  int32_t index;
  float value;
  const char* text;
};

TEST(KnobText, EveryKnobInItsOwnUnit) {
  const TextCase cases[] = {
      {1, 0.0f, "2"},     {1, 0.25f, "4"},     {1, 0.3125f, "5"},   {1, 1.0f, "10"},
      {2, 0.5f, "24"},    {2, 0.99f, "47"},    {3, 0.5f, "0"},      {3, 0.7f, "0.297"},
      {3, 0.9f, "5.008"}, {3, 1.0f, "20"},     {3, 0.0f, "-20"},    {3, 0.25f, "-0.613"},
      {4, 0.0f, "-1"},    {4, 0.35f, "-0.3"},  {5, 0.5f, "0"},      {5, 1.0f, "1"},
      {6, 0.5f, "50"},    {6, 1.0f, "90"},     {0, 0.5f, ""},       {9, 0.5f, ""},
  };
  for (const TextCase& c : cases) {
    char text[kKnobTextBytes];
    knobValueText(c.index, c.value, text);
    EXPECT_STREQ(text, c.text) << c.index << " " << c.value;
  }
}

TEST(KnobText, AnyInputEndsWithinTheBuffer) {
  for (float v : {NAN, INFINITY, -INFINITY, 1e30f, -1e30f}) {
    for (int32_t index = 1; index <= 6; ++index) {
      char text[kKnobTextBytes + 4];
      std::memset(text, 'x', sizeof text);
      knobValueText(index, v, text);
      EXPECT_LT(std::strlen(text), size_t(kKnobTextBytes)) << index << " " << v;
    }
  }
}

}  // namespace
}  // namespace gyrelle::testing
