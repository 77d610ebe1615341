// The toolkit on a real X server (run under tools/with-xvfb.sh): a frame
// opens inside a parent window, paints exactly what the headless surface
// holds, and real pointer events (XTest) reach the right widgets.
#include <gtest/gtest.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "host/ModuleInstance.h"
#include "toolkit/Canvas.h"
#include "toolkit/ChoiceMenu.h"
#include "toolkit/HeadlessPlatform.h"
#include "toolkit/PanelBitmap.h"
#include "toolkit/PanelFrame.h"
#include "toolkit/TextDisplay.h"
#include "toolkit/VerticalSlider.h"
#include "tests/support/XTestServer.h"

namespace gyrelle::testing {
namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kHandleId = 900;

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The test's own connection: parent windows, read-back and fake input.
class XServer : public XTestServer {
 public:
  xcb_window_t makeParent(int16_t x, int16_t y, uint16_t w, uint16_t h) { return makeWindow(x, y, w, h, 0x336699u); }
  PanelPoint origin(xcb_window_t win) {
    auto* r = xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, win, screen->root, 0, 0), nullptr);
    PanelPoint p{r->dst_x, r->dst_y};
    std::free(r);
    return p;
  }
  std::string property(xcb_window_t win, xcb_atom_t atom) {
    auto* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, win, atom, XCB_ATOM_STRING, 0, 256), nullptr);
    if (r == nullptr) return "";
    std::string s(static_cast<const char*>(xcb_get_property_value(r)),
                  size_t(xcb_get_property_value_length(r)));
    std::free(r);
    return s;
  }
  void moveTo(PanelPoint p) { fake(XCB_MOTION_NOTIFY, 0, int16_t(p.h), int16_t(p.v)); }
  void press(uint8_t button) { fake(XCB_BUTTON_PRESS, button); }
  void release(uint8_t button) { fake(XCB_BUTTON_RELEASE, button); }
  // The first keycode of a modifier (0 shift, 2 control, 3 mod1) on this server.
  uint8_t modifierKey(int modifier) {
    auto* map = xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr);
    if (map == nullptr) return 0;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(map);
    uint8_t code = 0;
    for (int i = 0; i < map->keycodes_per_modifier && code == 0; ++i) {
      code = codes[modifier * map->keycodes_per_modifier + i];
    }
    std::free(map);
    return code;
  }
  void click(PanelPoint p, uint8_t button) {
    moveTo(p);
    press(button);
    release(button);
  }
};

// Fills its rect and writes down presses.
class Pad : public ValueWidget {
 public:
  Pad(const PanelRect& r, PanelColour colour) : ValueWidget(r, nullptr, 0), colour_(colour) {}
  void draw(Canvas& canvas) override {
    canvas.setFillColour(colour_);
    canvas.fillInnerRect({rect.left - 1, rect.top - 1, rect.right + 1, rect.bottom + 1});
    drawnValue_ = value_;
  }
  void onMouseDown(Canvas& canvas, PanelPoint where) override {
    presses.push_back(where);
    buttons.push_back(canvas.readMouseButtons());
  }
  std::vector<PanelPoint> presses;
  std::vector<int32_t> buttons;

 private:
  PanelColour colour_;
};

// Redraws a changed widget at once, as the editor does.
class Redrawer : public ValueListener {
 public:
  void widgetChanged(Canvas& canvas, ValueWidget* widget) override {
    ++calls;
    lastValue = widget->value();
    if (auto* menu = dynamic_cast<ChoiceMenu*>(widget)) chosen = menu->currentIndex(nullptr);
    widget->draw(canvas);
  }
  int calls = 0;
  float lastValue = -1;
  int chosen = -1;
};

struct Scene {
  Pad* backdrop = nullptr;
  Pad* pad = nullptr;
  TextDisplay* text = nullptr;
  ChoiceMenu* menu = nullptr;
  VerticalSlider* slider = nullptr;
};

constexpr int kW = 200, kH = 150;

Scene populate(PanelFrame& frame, Redrawer& listener) {
  Scene s;
  s.backdrop = new Pad({-1, -1, kW, kH}, PanelColour{40, 40, 48, 0});
  frame.addWidget(s.backdrop);
  s.pad = new Pad({10, 10, 60, 60}, ColourRed);
  frame.addWidget(s.pad);
  s.text = new TextDisplay({70, 10, 150, 30}, nullptr, StyleShadowText);
  s.text->setValue(0.5f);
  frame.addWidget(s.text);
  s.menu = new ChoiceMenu({70, 40, 150, 60}, &listener, 0, nullptr, nullptr, StyleMenuCheck);
  for (const char* e : {"1 (fastest)", "2", "3", "4 (best)"}) s.menu->addEntry(e, -1);
  frame.addWidget(s.menu);
  PanelBitmap* handle = new PanelBitmap(kHandleId);
  s.slider = new VerticalSlider({160, 10, 176, 140}, &listener, 7, 10, 128, handle, nullptr,
                                {0, 0}, SliderTopIsMaximum);
  handle->release();
  s.slider->setValue(0.5f);
  frame.addWidget(s.slider);
  return s;
}

// Counts the idle steps that tracking loops run (any thread may read it).
class TrackingHost : public PanelIdleHost {
 public:
  void idleWhileTracking() override { ++calls; }
  std::atomic<int> calls{0};
};

// Waits (on a helper thread) until `done`, at most `ms` milliseconds.
bool waitFor(const std::function<bool()>& done, int ms = 5000) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  while (!done() && Clock::now() < end) sleepMs(5);
  return done();
}

// Pumps the frame until `done` or the time runs out.
bool pumpUntil(PanelFrame& frame, const std::function<bool()>& done, int ms = 5000) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  while (Clock::now() < end) {
    frame.refreshAll();
    if (done()) return true;
    sleepMs(2);
  }
  return done();
}

class X11 : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(x.ok()) << "no X display (run under tools/with-xvfb.sh)";
    parent = x.makeParent(100, 80, 400, 300);
  }
  std::unique_ptr<PanelFrame> openPanel(Scene& scene, xcb_window_t in = 0) {
    auto frame = std::make_unique<PanelFrame>(PanelRect{0, 0, kW, kH}, in ? in : parent, &host);
    scene = populate(*frame, listener);
    EXPECT_NE(frame->window(), 0u);
    EXPECT_TRUE(pumpUntil(*frame, [&] { return !frame->notPaintedYet(); }));
    return frame;
  }
  PanelPoint at(const PanelFrame& frame, int32_t h, int32_t v) {
    PanelPoint o = x.origin(xcb_window_t(frame.window()));
    return PanelPoint{o.h + h, o.v + v};
  }

  XServer x;
  TrackingHost host;
  xcb_window_t parent = 0;
  Redrawer listener;
};

TEST_F(X11, APanelPaintsWhatTheHeadlessSurfaceHolds) {
  Scene scene;
  auto frame = openPanel(scene);
  const xcb_window_t win = xcb_window_t(frame->window());
  EXPECT_EQ(x.origin(win).h, x.origin(parent).h);  // at (0, 0) of the parent

  HeadlessPlatform headless;
  usePanelPlatformForTesting(&headless);
  Redrawer otherListener;
  PanelFrame reference(PanelRect{0, 0, kW, kH}, 1, nullptr);
  populate(reference, otherListener);
  reference.refreshAll();
  const std::vector<uint32_t> expected = headless.latestWindow()->pixels();
  usePanelPlatformForTesting(nullptr);

  std::vector<uint32_t> got;
  const auto end = Clock::now() + std::chrono::seconds(3);
  do {
    frame->refreshAll();
    got = x.read(win, kW, kH);
  } while (got != expected && Clock::now() < end);
  ASSERT_EQ(got.size(), expected.size());
  int differing = 0;
  for (size_t i = 0; i < got.size(); ++i) differing += got[i] != expected[i];
  EXPECT_EQ(differing, 0);

  char name[16];
  formatPanelWindowClassName(moduleInstance(), name);
  EXPECT_EQ(x.property(win, XCB_ATOM_WM_CLASS), std::string(name) + '\0' + name + '\0');
  EXPECT_EQ(x.property(win, XCB_ATOM_WM_NAME), "Window");
}

TEST_F(X11, RealLeftAndRightClicksReachTheWidgetUnderThem) {
  Scene scene;
  auto frame = openPanel(scene);
  x.click(at(*frame, 30, 40), 1);
  ASSERT_TRUE(pumpUntil(*frame, [&] { return scene.pad->presses.size() == 1; }));
  EXPECT_EQ(scene.pad->presses[0].h, 30);
  EXPECT_EQ(scene.pad->presses[0].v, 40);
  // Handled after the button was let go: the first read still tells the press's buttons.
  EXPECT_EQ(scene.pad->buttons[0], MouseLeft);
  x.click(at(*frame, 60, 60), 2);  // middle: ignored
  x.click(at(*frame, 60, 60), 3);  // right, on the bottom-right corner
  ASSERT_TRUE(pumpUntil(*frame, [&] { return scene.pad->presses.size() == 2; }));
  EXPECT_EQ(scene.pad->presses[1].h, 60);
  EXPECT_EQ(scene.pad->buttons[1], MouseRight);
  pumpUntil(*frame, [] { return false; }, 100);
  EXPECT_EQ(scene.pad->presses.size(), 2u);
  // Held modifiers come with the buttons: shift 8, alt 32.
  struct Case { int modifier; int32_t bits; };
  for (const Case& m : {Case{0, ModShift}, Case{3, ModAlt}, Case{2, ModControl}}) {
    const uint8_t key = x.modifierKey(m.modifier);
    ASSERT_NE(key, 0) << m.modifier;
    const size_t before = scene.pad->presses.size();
    x.fake(XCB_KEY_PRESS, key);
    x.click(at(*frame, 20, 20), 1);
    x.fake(XCB_KEY_RELEASE, key);
    ASSERT_TRUE(pumpUntil(*frame, [&] { return scene.pad->presses.size() == before + 1; }));
    EXPECT_EQ(scene.pad->buttons.back(), MouseLeft | m.bits) << m.modifier;
  }
  EXPECT_EQ(scene.backdrop->presses.size(), 0u);
}

TEST_F(X11, ARealDragMovesTheSliderHandle) {
  Scene scene;
  auto frame = openPanel(scene);
  ASSERT_EQ(scene.slider->handleTop(), 10 + 59);  // value 0.5 over a travel of 118
  const PanelPoint grab = at(*frame, 168, 69);
  const PanelPoint target = at(*frame, 168, 39);
  std::atomic<bool> finished{false};
  std::thread hand([&] {
    XServer own;  // XTest from this thread on its own connection
    own.moveTo(grab);
    own.press(1);
    waitFor([&] { return host.calls.load() > 0; });  // the drag loop has started
    for (int i = 1; i <= 5; ++i) {
      own.moveTo(PanelPoint{grab.h, grab.v + (target.v - grab.v) * i / 5});
      sleepMs(40);
    }
    sleepMs(100);
    own.release(1);
    finished = true;
  });
  const bool done = pumpUntil(*frame, [&] { return finished.load(); }, 10000);
  hand.join();
  ASSERT_TRUE(done);
  EXPECT_NEAR(scene.slider->value(), 1.0f - 29.0f / 118.0f, 1e-5);
  EXPECT_GT(listener.calls, 0);
  // Redrawn by the listener: 29/118 of the travel, truncated (float rounding may give 28).
  EXPECT_GE(scene.slider->handleTop(), 38);
  EXPECT_LE(scene.slider->handleTop(), 39);
}

TEST_F(X11, ThePopupMenuChoosesWithARealClickAndEscapeCloses) {
  Scene scene;
  auto frame = openPanel(scene);
  const PanelPoint menuAt = at(*frame, 100, 50);
  // Entries are 18 rows high below a 2-row edge; the popup opens at the menu's bottom.
  const PanelPoint third = at(*frame, 70 + 30, 60 + 2 + 18 * 2 + 9);
  std::atomic<bool> finished{false};
  std::thread hand([&] {
    XServer own;
    own.click(menuAt, 1);
    waitFor([&] { return own.popupShown(); });
    sleepMs(50);  // and has grabbed the pointer
    own.moveTo(third);
    sleepMs(100);
    own.click(third, 1);
    finished = true;
  });
  const bool chosen = pumpUntil(*frame, [&] { return listener.chosen == 2; }, 10000);
  hand.join();
  ASSERT_TRUE(chosen);
  EXPECT_EQ(scene.menu->currentIndex(nullptr), 2);
  EXPECT_EQ(frame->focusWidget(), nullptr);
  EXPECT_EQ(scene.pad->presses.size(), 0u);  // the closing click stayed in the popup

  listener.chosen = -1;
  std::thread escape([&] {
    XServer own;
    own.click(menuAt, 1);
    waitFor([&] { return own.popupShown(); });
    sleepMs(50);
    own.fake(XCB_KEY_PRESS, 9);  // Escape on the server's default keyboard map
    own.fake(XCB_KEY_RELEASE, 9);
    waitFor([&] { return !own.popupShown(); });
    own.click(at(*frame, 30, 30), 1);  // the panel answers again afterwards
  });
  const bool back = pumpUntil(*frame, [&] { return scene.pad->presses.size() == 1; }, 10000);
  escape.join();
  EXPECT_TRUE(back);
  EXPECT_EQ(listener.chosen, -1);
  EXPECT_EQ(scene.menu->currentIndex(nullptr), 2);
}

TEST_F(X11, TwoPanelsAtOnceEachWithItsOwnConnection) {
  xcb_window_t secondParent = x.makeParent(520, 80, 300, 200);
  Scene a, b;
  auto first = openPanel(a);
  auto second = openPanel(b, secondParent);
  EXPECT_EQ(panelWindowClassUseCount(), 2);
  x.click(at(*second, 20, 20), 1);
  ASSERT_TRUE(pumpUntil(*second, [&] { return b.pad->presses.size() == 1; }));
  first->refreshAll();
  EXPECT_EQ(a.pad->presses.size(), 0u);
  first.reset();
  EXPECT_EQ(panelWindowClassUseCount(), 1);
  x.click(at(*second, 20, 20), 1);
  EXPECT_TRUE(pumpUntil(*second, [&] { return b.pad->presses.size() == 2; }));
}

TEST_F(X11, AMissingParentOrDisplayLeavesTheFrameWithoutAWindow) {
  PanelFrame noParent(PanelRect{0, 0, kW, kH}, 0x3FFFFF0, nullptr);
  EXPECT_EQ(noParent.window(), 0u);
  noParent.drawWidgetNow(nullptr);
  noParent.refreshAll();

  const std::string display = std::getenv("DISPLAY");
  setenv("DISPLAY", ":4093", 1);
  PanelFrame noDisplay(PanelRect{0, 0, kW, kH}, parent, nullptr);
  setenv("DISPLAY", display.c_str(), 1);
  EXPECT_EQ(noDisplay.window(), 0u);
  noDisplay.refreshAll();
  EXPECT_EQ(panelWindowClassUseCount(), 0);
}

TEST_F(X11, AParentDestroyedUnderThePanelOnlyClosesIt) {
  Scene scene;
  auto frame = openPanel(scene);
  xcb_destroy_window(x.c, parent);
  x.sync();
  EXPECT_TRUE(pumpUntil(*frame, [&] { return !frame->isOpen(); }));
  frame->drawWidgetNow(nullptr);  // drawing into a window that is gone: X errors, ignored
  scene.slider->setValue(0.9f);
  frame->refreshAll();
  Canvas canvas(frame.get(), &frame->platformWindow()->surface(), frame->platformWindow());
  EXPECT_EQ(canvas.readMouseButtons(), 0);
}

TEST_F(X11, ALostConnectionNeverEndsOrHangsTheProcess) {
  Scene scene;
  auto frame = openPanel(scene);
  // The server drops the panel's client, as when the server goes away.
  xcb_kill_client(x.c, uint32_t(frame->window()));
  x.sync();
  EXPECT_TRUE(pumpUntil(*frame, [&] { return !frame->isOpen(); }));
  frame->drawWidgetNow(nullptr);
  PanelWindow* w = frame->platformWindow();
  EXPECT_EQ(w->readMouseButtons(), 0);
  EXPECT_EQ(w->readMousePosition().h, 0);
  PanelPopupRequest request;
  const char* entries[] = {"a"};
  request.entries = entries;
  request.count = 1;
  EXPECT_EQ(frame->runPopup(request), kPopupNone);
  {
    // The slider's drag loop ends at once: the buttons read as released.
    Canvas canvas(frame.get(), &w->surface(), w);
    scene.slider->onMouseDown(canvas, PanelPoint{168, 69});
  }
  frame.reset();
}

}  // namespace
}  // namespace gyrelle::testing
