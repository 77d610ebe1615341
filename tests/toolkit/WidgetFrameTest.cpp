// Value widgets and the frame: drawing order, hit-testing, refresh by
// comparison, focus, ownership, the window class and the window's events.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/toolkit/HeadlessFixture.h"
#include "toolkit/Canvas.h"
#include "toolkit/PanelFrame.h"
#include "toolkit/Widget.h"

namespace gyrelle::testing {
namespace {

// Fills its rect with its colour and writes down what happened to it.
class Probe : public ValueWidget {
 public:
  Probe(const PanelRect& r, PanelColour colour, std::vector<std::string>* log, const char* name)
      : ValueWidget(r, nullptr, 0), colour_(colour), log_(log), name_(name) {}
  ~Probe() override { note("deleted"); }
  void draw(Canvas& canvas) override {
    ++draws;
    canvas.setFillColour(colour_);
    canvas.fillInnerRect({rect.left - 1, rect.top - 1, rect.right + 1, rect.bottom + 1});
    drawnValue_ = value_;
  }
  void onMouseDown(Canvas&, PanelPoint where) override {
    note("press");
    lastPress = where;
  }
  void onFocusLost() override { note("focus lost"); }

  int draws = 0;
  PanelPoint lastPress{-1, -1};

 private:
  void note(const char* what) {
    if (log_ != nullptr) log_->push_back(std::string(name_) + " " + what);
  }
  PanelColour colour_;
  std::vector<std::string>* log_;
  const char* name_;
};

class CountingHost : public PanelIdleHost {
 public:
  void idleWhileTracking() override { ++calls; }
  int calls = 0;
};

TEST(ValueWidgets, DefaultsAndRefreshByComparison) {
  PanelSurface s(20, 20);
  Canvas canvas(nullptr, &s, nullptr);
  Probe w({0, 0, 10, 10}, ColourRed, nullptr, "w");
  EXPECT_EQ(w.value(), 0.0f);
  EXPECT_EQ(w.minimum(), 0.0f);
  EXPECT_EQ(w.maximum(), 1.0f);
  EXPECT_EQ(w.defaultValue(), 0.5f);
  EXPECT_EQ(w.drawnValue(), -1.0f);
  EXPECT_TRUE(w.isEnabled());
  w.refresh(canvas);  // the first refresh draws
  EXPECT_EQ(w.draws, 1);
  w.setValue(0.25f);
  w.refresh(canvas);
  w.refresh(canvas);
  EXPECT_EQ(w.draws, 2);
  w.setValue(0.5f);
  w.setDrawnValue(0.5f);  // marked drawn: no redraw
  w.refresh(canvas);
  EXPECT_EQ(w.draws, 2);
  w.setDrawnValue(0.3f);  // anything else: redraw
  w.refresh(canvas);
  EXPECT_EQ(w.draws, 3);
  w.redrawNow();  // no frame: nothing
  w.pumpIdle();
  EXPECT_EQ(w.draws, 3);
}

TEST(ValueWidgets, AttachOffscreenOnlyWhenItIsLargeEnough) {
  Probe w({0, 0, 20, 10}, ColourRed, nullptr, "w");
  OffscreenCanvas small(nullptr, 10, 10, ColourBlack);
  OffscreenCanvas big(nullptr, 20, 10, ColourBlack);
  w.attachOffscreen(&small);
  EXPECT_EQ(w.attachedOffscreen, nullptr);
  w.attachOffscreen(&big);
  EXPECT_EQ(w.attachedOffscreen, &big);
  w.attachOffscreen(nullptr);
  EXPECT_EQ(w.attachedOffscreen, &big);
}

TEST_F(HeadlessTest, FirstExposeDrawsEverythingInOrderLaterOnesOnTop) {
  auto frame = std::make_unique<PanelFrame>(PanelRect{0, 0, 64, 48}, kParent, nullptr);
  auto* under = new Probe({10, 10, 30, 30}, ColourRed, nullptr, "under");
  auto* over = new Probe({20, 20, 40, 40}, ColourBlue, nullptr, "over");
  frame->addWidget(under);
  frame->addWidget(over);
  EXPECT_EQ(under->frame, frame.get());
  EXPECT_TRUE(frame->notPaintedYet());
  HeadlessWindow& window = windowOf(*frame);
  EXPECT_EQ(countPixels(window.surface(), kRed), 0);
  frame->refreshAll();  // handles the window's first Expose
  EXPECT_FALSE(frame->notPaintedYet());
  EXPECT_EQ(window.pixel(15, 15), kRed);
  EXPECT_EQ(window.pixel(25, 25), kBlue);  // overlap: the later one is on top
  EXPECT_EQ(window.pixel(35, 35), kBlue);
  EXPECT_EQ(window.parent(), kParent);
  EXPECT_EQ(window.width(), 64);
}

TEST_F(HeadlessTest, PressesGoToTheLastWidgetUnderThePointIncludingEdges) {
  std::vector<std::string> log;
  auto frame = openFrame();
  auto* under = new Probe({10, 10, 30, 30}, ColourRed, &log, "under");
  auto* over = new Probe({20, 20, 40, 40}, ColourBlue, &log, "over");
  frame->addWidget(under);
  frame->addWidget(over);
  HeadlessWindow& window = windowOf(*frame);
  window.queueButtonPress(1, {25, 25});  // overlap
  window.queueButtonPress(3, {30, 30});  // right button, on under's right/bottom edge: still over's
  window.queueButtonPress(1, {10, 30});  // under's bottom-left corner
  window.queueButtonPress(2, {15, 15});  // middle button: ignored
  window.queueButtonPress(1, {50, 5});   // nothing there
  frame->refreshAll();
  EXPECT_EQ(log, (std::vector<std::string>{"over press", "over press", "under press"}));
  EXPECT_EQ(under->lastPress.h, 10);
  EXPECT_EQ(under->lastPress.v, 30);
}

TEST_F(HeadlessTest, DisabledWidgetsStillReceiveTheirPress) {
  std::vector<std::string> log;
  auto frame = openFrame();
  auto* w = new Probe({0, 0, 10, 10}, ColourRed, &log, "w");
  w->setEnabled(false);
  frame->addWidget(w);
  windowOf(*frame).queueButtonPress(1, {5, 5});
  frame->refreshAll();
  EXPECT_EQ(log, std::vector<std::string>{"w press"});
}

TEST_F(HeadlessTest, AClickOutsideTheFocusWidgetFirstTakesItsFocus) {
  std::vector<std::string> log;
  auto frame = openFrame();
  auto* a = new Probe({0, 0, 10, 10}, ColourRed, &log, "a");
  auto* b = new Probe({20, 0, 30, 10}, ColourBlue, &log, "b");
  frame->addWidget(a);
  frame->addWidget(b);
  frame->setFocusWidget(a);
  windowOf(*frame).queueButtonPress(1, {10, 10});  // inside a (edge): keeps focus
  windowOf(*frame).queueButtonPress(1, {25, 5});
  frame->refreshAll();
  EXPECT_EQ(log, (std::vector<std::string>{"a press", "a focus lost", "b press"}));
  EXPECT_EQ(frame->focusWidget(), nullptr);
}

TEST_F(HeadlessTest, RefreshRedrawsOnlyChangedWidgetsAndOnlyOncePaintedAndOpen) {
  // Without a window nothing is ever painted by the platform: refreshAll waits.
  PanelFrame detached(PanelRect{0, 0, 64, 48}, 0, nullptr);
  auto* lonely = new Probe({0, 0, 10, 10}, ColourRed, nullptr, "lonely");
  detached.addWidget(lonely);
  detached.refreshAll();
  EXPECT_EQ(lonely->draws, 0);
  detached.drawWidgetNow(nullptr);  // a full draw counts as the first paint
  EXPECT_EQ(lonely->draws, 1);
  detached.refreshAll();
  EXPECT_EQ(lonely->draws, 1);

  auto frame = openFrame();
  auto* w = new Probe({0, 0, 10, 10}, ColourRed, nullptr, "w");
  frame->addWidget(w);
  frame->refreshAll();  // drawn value -1: the first refresh draws
  frame->refreshAll();
  EXPECT_EQ(w->draws, 1);
  w->setValue(0.3f);
  frame->refreshAll();
  frame->refreshAll();
  EXPECT_EQ(w->draws, 2);
  // The window goes away (its parent was destroyed): refreshing stops.
  windowOf(*frame).queueDestroy();
  w->setValue(0.7f);
  frame->refreshAll();
  EXPECT_FALSE(frame->isOpen());
  EXPECT_EQ(frame->parentWindow(), 0u);
  EXPECT_EQ(w->draws, 2);
}

TEST_F(HeadlessTest, DrawWidgetNowDrawsListedWidgetsElseTheWholePanel) {
  std::vector<std::string> log;
  auto frame = openFrame();
  auto* a = new Probe({0, 0, 10, 10}, ColourRed, &log, "a");
  auto* b = new Probe({20, 0, 30, 10}, ColourBlue, &log, "b");
  frame->addWidget(a);
  frame->addWidget(b);
  frame->drawWidgetNow(a);
  EXPECT_EQ(a->draws, 1);
  EXPECT_EQ(b->draws, 0);
  a->redrawNow();
  EXPECT_EQ(a->draws, 2);
  EXPECT_TRUE(frame->removeWidget(a));
  EXPECT_EQ(frame->widgetCount(), 1);
  EXPECT_TRUE(frame->removeWidget(a));  // not there any more: unchanged, still true
  EXPECT_EQ(frame->widgetCount(), 1);
  a->redrawNow();  // keeps its frame pointer; not in the list, so the whole panel is drawn
  EXPECT_EQ(a->draws, 2);
  EXPECT_EQ(b->draws, 1);
  frame.reset();
  EXPECT_EQ(log, std::vector<std::string>{"b deleted"});  // a was removed: not deleted
  delete a;
}

TEST_F(HeadlessTest, TheListGrowsAndDestructionDeletesInListOrder) {
  std::vector<std::string> log;
  auto frame = openFrame();
  std::vector<std::string> expected;
  static const char* names[25] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12",
                                  "13", "14", "15", "16", "17", "18", "19", "20", "21", "22", "23",
                                  "24"};
  for (int i = 0; i < 25; ++i) {
    EXPECT_TRUE(frame->addWidget(new Probe({i, 0, i + 1, 1}, ColourRed, &log, names[i])));
    expected.push_back(std::string(names[i]) + " deleted");
  }
  EXPECT_FALSE(frame->addWidget(nullptr));
  EXPECT_EQ(frame->widgetCount(), 25);
  EXPECT_EQ(frame->widgetAt(24)->rect.left, 24);
  EXPECT_EQ(frame->widgetAt(25), nullptr);
  frame.reset();
  EXPECT_EQ(log, expected);
}

TEST_F(HeadlessTest, DestructionTakesTheFocusFirst) {
  std::vector<std::string> log;
  auto frame = openFrame();
  auto* a = new Probe({0, 0, 10, 10}, ColourRed, &log, "a");
  frame->addWidget(a);
  frame->setFocusWidget(a);
  frame.reset();
  EXPECT_EQ(log, (std::vector<std::string>{"a focus lost", "a deleted"}));
}

TEST_F(HeadlessTest, PumpIdleRunsTheIdleHostAndTheWindowEvents) {
  CountingHost host;
  auto frame = openFrame(64, 48, &host);
  EXPECT_EQ(frame->idleHost(), &host);
  auto* w = new Probe({0, 0, 10, 10}, ColourRed, nullptr, "w");
  frame->addWidget(w);
  w->pumpIdle();
  EXPECT_EQ(host.calls, 1);
  windowOf(*frame).queueExpose();
  w->pumpIdle();
  EXPECT_EQ(w->draws, 1);
}

TEST(WindowClass, NameIsPluginAndEightLowercaseHexDigits) {
  char name[16];
  formatPanelWindowClassName(0x00ABC000u, name);
  EXPECT_STREQ(name, "Plugin00abc000");
  formatPanelWindowClassName(uintptr_t(0x7f12DEADBEEFull), name);
  EXPECT_STREQ(name, "Plugindeadbeef");  // the low 32 bits
  formatPanelWindowClassName(0, nullptr);
}

TEST_F(HeadlessTest, FramesShareTheWindowClassUntilTheLastOneGoes) {
  EXPECT_EQ(panelWindowClassUseCount(), 0);
  auto first = openFrame();
  auto second = openFrame();
  EXPECT_EQ(panelWindowClassUseCount(), 2);
  EXPECT_EQ(std::string(panelWindowClassName()).rfind("Plugin", 0), 0u);
  EXPECT_EQ(windowOf(*first).className(), panelWindowClassName());
  EXPECT_NE(first->window(), second->window());
  first.reset();
  EXPECT_EQ(panelWindowClassUseCount(), 1);
  EXPECT_STRNE(panelWindowClassName(), "");
  second.reset();
  EXPECT_EQ(panelWindowClassUseCount(), 0);
  EXPECT_STREQ(panelWindowClassName(), "");
}

TEST_F(HeadlessTest, NoParentOrAMissingOneLeavesTheFrameWithoutAWindow) {
  platform.markParentMissing(0x99);
  for (uintptr_t parent : {uintptr_t(0), uintptr_t(0x99)}) {
    PanelFrame frame(PanelRect{0, 0, 64, 48}, parent, nullptr);
    EXPECT_EQ(frame.window(), 0u) << parent;
    EXPECT_EQ(frame.platformWindow(), nullptr);
    auto* w = new Probe({0, 0, 10, 10}, ColourRed, nullptr, "w");
    frame.addWidget(w);
    frame.refreshAll();
    frame.drawWidgetNow(w);
    frame.pumpEvents();
    w->pumpIdle();
    EXPECT_EQ(panelWindowClassUseCount(), 0);
  }
  EXPECT_EQ(platform.windowCount(), 0);
}

}  // namespace
}  // namespace gyrelle::testing
