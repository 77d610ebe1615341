// The text box's look and texts, and the choice menu's entries and popup.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/toolkit/HeadlessFixture.h"
#include "toolkit/Canvas.h"
#include "toolkit/ChoiceMenu.h"
#include "toolkit/PanelBitmap.h"
#include "toolkit/TextDisplay.h"

namespace gyrelle::testing {
namespace {

const PanelRect kBox{10, 10, 70, 30};

// What a plain box with `text` looks like, drawn primitive by primitive.
PanelSurface expectedPlainBox(const char* text) {
  PanelSurface s(80, 40);
  Canvas canvas(nullptr, &s, nullptr);
  canvas.setFillColour(ColourBlack);
  canvas.fillInnerRect(kBox);
  canvas.setPenColour(ColourBlack);
  canvas.outlineRect(kBox);
  canvas.selectFont(kFontArial12, 0);
  canvas.setTextColour(ColourWhite);
  canvas.drawText(text, kBox, false, AlignCentre);
  return s;
}

PanelSurface drawn(TextDisplay& display, uint32_t fill = 0x202020) {
  PanelSurface s(80, 40, fill);
  Canvas canvas(nullptr, &s, nullptr);
  display.draw(canvas);
  return s;
}

TEST(TextDisplays, ShowTheValueWithTwoDecimalsOrTheFormattersText) {
  TextDisplay display(kBox, nullptr, 0);
  display.setValue(0.5f);
  PanelSurface expected = expectedPlainBox("0.50");
  PanelSurface fill(80, 40, 0x202020);
  {
    Canvas c(nullptr, &fill, nullptr);
    c.setFillColour(ColourBlack);
    c.fillInnerRect(kBox);
  }
  // Only the box itself is compared (the area around it differs in the setup).
  PanelSurface got = drawn(display, 0);
  EXPECT_EQ(got.pixelVector(), expected.pixelVector());
  EXPECT_EQ(display.drawnValue(), 0.5f);
  display.setValue(1.0f);
  EXPECT_EQ(drawn(display, 0).pixelVector(), expectedPlainBox("1.00").pixelVector());

  display.setFormatter([](float, char* text) { text[0] = 0; });
  EXPECT_EQ(countPixels(drawn(display), kWhite), 0);  // an empty text: just the box
  display.setFormatter([](float v, char* text) { std::strcpy(text, v > 0.9f ? "full" : "low"); });
  EXPECT_EQ(drawn(display, 0).pixelVector(), expectedPlainBox("full").pixelVector());
}

TEST(TextDisplays, LookSettersForceARedrawOnlyWhenSomethingChanges) {
  TextDisplay display(kBox, nullptr, 0);
  auto forced = [&] { return display.drawnValue() != display.value(); };
  display.setDrawnValue(display.value());
  display.setTextColour(PanelColour{255, 255, 255, 77});  // differs only in alpha
  display.setFont(kFontArial12);                          // the current font
  display.setAlignment(AlignCentre);
  display.setBackColour(ColourBlack);
  display.setBitmapOffset({3, 4});
  EXPECT_FALSE(forced());
  struct Change { const char* name; void (*apply)(TextDisplay&); };
  const Change changes[] = {
      {"font", [](TextDisplay& d) { d.setFont(kFontArial18); }},
      {"text", [](TextDisplay& d) { d.setTextColour(ColourRed); }},
      {"back", [](TextDisplay& d) { d.setBackColour(ColourRed); }},
      {"frame", [](TextDisplay& d) { d.setFrameColour(ColourRed); }},
      {"shadow", [](TextDisplay& d) { d.setShadowColour(ColourBlue); }},
      {"alignment", [](TextDisplay& d) { d.setAlignment(AlignLeft); }},
  };
  for (const Change& c : changes) {
    display.setDrawnValue(display.value());
    c.apply(display);
    EXPECT_TRUE(forced()) << c.name;
  }
}

TEST(TextDisplays, BevelInFillsWithoutOutlineThenDrawsTheBevel) {
  TextDisplay display(kBox, nullptr, StyleBevelIn);
  display.setBackColour(ColourBlue);
  display.setFrameColour(ColourRed);
  display.setFormatter([](float, char* text) { text[0] = 0; });
  PanelSurface s = drawn(display);
  EXPECT_EQ(s.pixel(10, 20), kBlue);  // left edge: back colour
  EXPECT_EQ(s.pixel(40, 10), kBlue);  // top edge
  EXPECT_EQ(s.pixel(70, 10), kBlue);  // the top line runs to right + 1
  EXPECT_EQ(s.pixel(70, 20), kRed);   // right edge: frame colour
  EXPECT_EQ(s.pixel(40, 30), kRed);   // bottom edge
  EXPECT_EQ(s.pixel(10, 30), kBlue);  // the bottom line leaves out its end point
  EXPECT_EQ(s.pixel(40, 20), kBlue);  // inside: filled
  TextDisplay out(kBox, nullptr, StyleBevelOut);
  out.setBackColour(ColourBlue);
  out.setFrameColour(ColourRed);
  out.setFormatter([](float, char* text) { text[0] = 0; });
  PanelSurface t = drawn(out);
  EXPECT_EQ(t.pixel(10, 20), kRed);
  EXPECT_EQ(t.pixel(70, 20), kBlue);
}

TEST(TextDisplays, ShadowTextIsDrawnOnePixelRightAndDown) {
  TextDisplay display(kBox, nullptr, StyleShadowText);
  display.setValue(0.5f);
  PanelSurface got = drawn(display, 0);
  PanelSurface expected(80, 40);
  {
    Canvas c(nullptr, &expected, nullptr);
    c.setFillColour(ColourBlack);
    c.fillInnerRect(kBox);
    c.setPenColour(ColourBlack);
    c.outlineRect(kBox);
    c.selectFont(kFontArial12, 0);
    c.setTextColour(ColourRed);
    c.drawText("0.50", PanelRect{11, 11, 71, 31}, false, AlignCentre);
    c.setTextColour(ColourWhite);
    c.drawText("0.50", kBox, false, AlignCentre);
  }
  EXPECT_EQ(got.pixelVector(), expected.pixelVector());
  EXPECT_GT(countPixels(got, kRed), 0);
}

TEST(TextDisplays, ABackgroundBitmapReplacesFillAndOutline) {
  PanelBitmap* picture = new PanelBitmap(901u);  // 5 x 3 test picture
  TextDisplay display(PanelRect{0, 0, 5, 3}, picture, 0);
  EXPECT_EQ(picture->refCount(), 2);
  display.setFormatter([](float, char* text) { text[0] = 0; });
  PanelSurface s = drawn(display);
  EXPECT_EQ(s.pixel(0, 0), 0x010203u);
  EXPECT_EQ(s.pixel(4, 2), 0x292A03u);
  picture->release();
}

TEST(ChoiceMenus, EntriesInsertRemoveAndTheCurrentOne) {
  ChoiceMenu menu(kBox, nullptr, 0, nullptr, nullptr, 0);
  EXPECT_EQ(menu.currentIndex(nullptr), -1);
  const char* levels[] = {"1 (fastest)", "2", "3", "4 (best)"};
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(menu.addEntry(levels[i], i));
  EXPECT_EQ(menu.entryCount(), 4);
  EXPECT_EQ(menu.currentIndex(nullptr), 0);
  char text[kTextBufferSize];
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(menu.entryText(i, text));
    EXPECT_STREQ(text, levels[i]);
  }
  EXPECT_FALSE(menu.entryText(4, text));
  EXPECT_FALSE(menu.entryText(-1, nullptr));

  EXPECT_TRUE(menu.setCurrentIndex(2));
  EXPECT_TRUE(menu.addEntry("0", 0));  // inserted in front: current follows its text
  EXPECT_EQ(menu.currentIndex(text), 3);
  EXPECT_STREQ(text, "3");
  EXPECT_TRUE(menu.addEntry("-", 99));  // past the end: appended
  EXPECT_FALSE(menu.setCurrentIndex(5));  // a separator
  EXPECT_FALSE(menu.setCurrentIndex(6));
  EXPECT_FALSE(menu.setCurrentIndex(-1));
  EXPECT_EQ(menu.currentIndex(nullptr), 3);
  EXPECT_TRUE(menu.removeEntry(1));  // before current: current follows
  EXPECT_EQ(menu.currentIndex(text), 2);
  EXPECT_STREQ(text, "3");
  EXPECT_FALSE(menu.removeEntry(9));
  EXPECT_TRUE(menu.removeAllEntries());
  EXPECT_EQ(menu.entryCount(), 0);
  EXPECT_EQ(menu.currentIndex(nullptr), -1);

  // Limits: 128 entries, 255 characters, null is the empty text.
  for (int i = 0; i < kMaxMenuEntries; ++i) EXPECT_TRUE(menu.addEntry(nullptr, -1));
  EXPECT_FALSE(menu.addEntry("one too many", 0));
  EXPECT_TRUE(menu.entryText(0, text));
  EXPECT_STREQ(text, "");
  menu.removeAllEntries();
  std::string longText(400, 'x');
  menu.addEntry(longText.c_str(), 0);
  menu.entryText(0, text);
  EXPECT_EQ(std::strlen(text), 255u);
}

TEST(ChoiceMenus, SetCurrentIndexForcesARedrawAndTheLastRemovalLeavesNone) {
  ChoiceMenu menu(kBox, nullptr, 0, nullptr, nullptr, 0);
  menu.addEntry("2", 0);
  menu.addEntry("3", 1);
  menu.setDrawnValue(menu.value());
  EXPECT_TRUE(menu.setCurrentIndex(1));
  EXPECT_EQ(menu.drawnValue(), 1.0f);  // value 0: drawn value 1
  menu.setValue(0.5f);
  menu.setCurrentIndex(0);
  EXPECT_EQ(menu.drawnValue(), 0.0f);
  menu.removeEntry(1);
  EXPECT_EQ(drawn(menu, 0).pixelVector(), expectedPlainBox("2").pixelVector());
  EXPECT_TRUE(menu.removeEntry(0));
  EXPECT_EQ(menu.currentIndex(nullptr), -1);
  EXPECT_EQ(countPixels(drawn(menu), kWhite), 0);  // an empty text
}

class MenuListener : public ValueListener {
 public:
  void widgetChanged(Canvas& canvas, ValueWidget* widget) override {
    auto* menu = static_cast<ChoiceMenu*>(widget);
    chosen.push_back(menu->currentIndex(nullptr));
    hadSurface = canvas.surface() != nullptr;
    focusDuringCall = menu->frame->focusWidget();
  }
  std::vector<int> chosen;
  bool hadSurface = false;
  Widget* focusDuringCall = nullptr;
};

class ChoiceMenuPopup : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    frame = openFrame(200, 100);
    window = &windowOf(*frame);
    window->setScreenOrigin({100, 200});
  }
  ChoiceMenu* addMenu(int32_t style, PanelBitmap* pressed = nullptr) {
    auto* menu = new ChoiceMenu(PanelRect{20, 30, 80, 50}, &listener, 7, nullptr, pressed, style);
    for (const char* e : {"1 (fastest)", "2", "-", "4 (best)"}) menu->addEntry(e, -1);
    frame->addWidget(menu);
    return menu;
  }
  void click(int32_t buttons, PanelPoint at = {30, 40}) {
    window->setPointer(at, buttons);
    window->queueButtonPress(1, at);
    frame->refreshAll();
    window->setPointer(at, 0);
  }
  MenuListener listener;
  std::unique_ptr<PanelFrame> frame;
  HeadlessWindow* window = nullptr;
};

TEST_F(ChoiceMenuPopup, AChoiceBecomesCurrentAndTheListenerIsTold) {
  ChoiceMenu* menu = addMenu(0);
  menu->setCurrentIndex(3);
  platform.queuePopupChoice(0);  // identifier 0 is a real choice
  click(MouseLeft);
  EXPECT_EQ(platform.popupCount(), 1);
  EXPECT_EQ(platform.lastPopupEntries(),
            (std::vector<std::string>{"1 (fastest)", "2", "-", "4 (best)"}));
  EXPECT_EQ(platform.lastPopupAt().h, 120);  // window left + rect.left
  EXPECT_EQ(platform.lastPopupAt().v, 250);  // window top + rect.bottom
  EXPECT_EQ(platform.lastPopupChecked(), -1);
  EXPECT_EQ(listener.chosen, std::vector<int>{0});
  EXPECT_TRUE(listener.hadSurface);
  EXPECT_EQ(menu->currentIndex(nullptr), 0);
  EXPECT_EQ(frame->focusWidget(), nullptr);
  EXPECT_EQ(menu->value(), 0.0f);  // choosing does not touch the value
}

TEST_F(ChoiceMenuPopup, NoChoiceASeparatorOrAStaleIndexChangesNothing) {
  ChoiceMenu* menu = addMenu(0);
  click(MouseLeft);  // nothing queued: closed without a choice
  platform.queuePopupChoice(2);  // the separator
  click(MouseLeft);
  platform.queuePopupChoice(17);
  click(MouseLeft);
  EXPECT_EQ(platform.popupCount(), 3);
  EXPECT_TRUE(listener.chosen.empty());
  EXPECT_EQ(menu->currentIndex(nullptr), 0);
}

TEST_F(ChoiceMenuPopup, OnlyAPlainLeftPressOfAnEnabledMenuOpensIt) {
  ChoiceMenu* menu = addMenu(0);
  click(MouseLeft | ModShift);
  click(MouseRight);
  menu->setEnabled(false);
  click(MouseLeft);
  EXPECT_EQ(platform.popupCount(), 0);
}

TEST_F(ChoiceMenuPopup, AtTopAndCheckStyles) {
  ChoiceMenu* menu = addMenu(StyleMenuAtTop | StyleMenuCheck);
  menu->setCurrentIndex(1);
  click(MouseLeft);
  EXPECT_EQ(platform.lastPopupAt().v, 230);  // window top + rect.top
  EXPECT_EQ(platform.lastPopupChecked(), 1);
}

TEST_F(ChoiceMenuPopup, ThePressedLookIsReplacedByTheNormalOneAfterwards) {
  PanelBitmap* pressed = new PanelBitmap(901u);  // 5 x 3 test picture
  ChoiceMenu* menu = addMenu(0, pressed);
  EXPECT_EQ(pressed->refCount(), 2);
  pressed->release();
  frame->drawWidgetNow(menu);
  const std::vector<uint32_t> normal = window->pixels();
  const int32_t presentsBefore = window->presentCount();
  click(MouseLeft);  // no choice: the pressed look is drawn, then the normal look again
  EXPECT_EQ(window->pixels(), normal);
  EXPECT_GE(window->presentCount(), presentsBefore + 2);
  EXPECT_TRUE(listener.chosen.empty());
}

}  // namespace
}  // namespace gyrelle::testing
