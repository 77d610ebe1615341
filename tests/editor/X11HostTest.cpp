// The plug-in's panel in a real X server (run under tools/with-xvfb.sh): a
// small host of our own loads the library, opens the editor in its own
// top-level window through the record, idles it at a steady rate on its UI
// thread, and a second connection drives it with real pointer events (XTest).
#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <functional>
#include <thread>
#include <vector>

#include "tests/support/HeadlessPanelPicture.h"
#include "tests/support/LoadedPlugin.h"
#include "tests/support/XTestServer.h"

namespace gyrelle::testing {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kW = 512, kH = 316;

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool waitFor(const std::function<bool()>& done, int ms = 5000) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  while (!done() && Clock::now() < end) sleepMs(5);
  return done();
}

// One connection to the server: the host's top-level windows, read-back and fake input.
class XConnection : public XTestServer {
 public:
  xcb_window_t makeTopLevel(int16_t x, int16_t y) { return makeWindow(x, y, kW, kH, 0x202020u); }
  std::vector<uint32_t> read(xcb_window_t win) { return XTestServer::read(win, kW, kH); }
};

// The host's user-interface thread: opens and closes the editor on request
// and sends effEditIdle every 10 ms, as hosts do.
class HostUiThread {
 public:
  HostUiThread(Instance& instance, xcb_window_t window) : instance_(instance), window_(window) {
    thread_ = std::thread([this] { run(); });
  }
  ~HostUiThread() {
    stop_ = true;
    thread_.join();
  }
  // Asks for an open (true) or a close (false) and waits until it is done.
  void request(bool open) {
    const int done = served_.load();
    command_ = open ? kOpen : kClose;
    waitFor([&] { return served_.load() > done; });
  }
  std::atomic<int32_t> openAnswer{0};
  std::atomic<int16_t> rectBottom{0};
  std::atomic<int16_t> rectRight{0};
  std::atomic<int> idles{0};

 private:
  enum { kNone, kOpen, kClose };
  void run() {
    while (!stop_) {
      const int command = command_.exchange(kNone);
      if (command == kOpen) {
        ERect* rect = nullptr;
        if (instance_.dispatch(effEditGetRect, 0, 0, &rect) == 1 && rect != nullptr) {
          rectBottom = rect->bottom;
          rectRight = rect->right;
        }
        openAnswer = int32_t(instance_.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t(window_))));
        ++served_;
      } else if (command == kClose) {
        instance_.dispatch(effEditClose);
        ++served_;
      }
      instance_.dispatch(effEditIdle);
      ++idles;
      sleepMs(10);
    }
    instance_.dispatch(effEditClose);
  }

  Instance& instance_;
  xcb_window_t window_;
  std::atomic<bool> stop_{false};
  std::atomic<int> command_{kNone};
  std::atomic<int> served_{0};
  std::thread thread_;
};

class X11Host : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(x.ok()) << "no X display (run under tools/with-xvfb.sh)";
    ASSERT_TRUE(instance.valid());
    top = x.makeTopLevel(100, 60);
    ui = std::make_unique<HostUiThread>(instance, top);
  }
  void TearDown() override { ui.reset(); }

  // The panel's child window, once it is there and painted.
  xcb_window_t panel() {
    xcb_window_t child = 0;
    waitFor([&] {
      const auto kids = x.children(top);
      child = kids.empty() ? 0 : kids.front();
      return child != 0;
    });
    return child;
  }
  void idleFor(int count) {
    const int until = ui->idles.load() + count;
    waitFor([&] { return ui->idles.load() >= until; });
  }
  void moveTo(int h, int v) { x.fake(XCB_MOTION_NOTIFY, 0, int16_t(100 + h), int16_t(60 + v)); }
  void press() { x.fake(XCB_BUTTON_PRESS, 1); }
  void release() { x.fake(XCB_BUTTON_RELEASE, 1); }
  void click(int h, int v) {
    moveTo(h, v);
    press();
    release();
    idleFor(3);
  }
  // The window's pixels once the panel's drawing requests (on its own
  // connection) have all reached the server: two reads 40 ms apart agree.
  std::vector<uint32_t> settledRead(xcb_window_t win) {
    std::vector<uint32_t> last = x.read(win);
    const auto end = Clock::now() + std::chrono::seconds(3);
    while (Clock::now() < end) {
      sleepMs(40);
      std::vector<uint32_t> now = x.read(win);
      if (now == last) break;
      last = std::move(now);
    }
    return last;
  }
  // True once the window shows `expected` (within 3 s).
  bool shows(xcb_window_t win, const std::vector<uint32_t>& expected) {
    return waitFor([&] { return x.read(win) == expected; }, 3000);
  }
  // audioMasterIdle calls: the slider's drag loop runs the host's idle.
  int idleCalls() {
    int n = 0;
    for (const HostCall& call : instance.host().calls()) n += call.opcode == audioMasterIdle;
    return n;
  }
  int automationsOf(int32_t index) {
    int n = 0;
    for (const HostCall& call : instance.host().calls()) n += call.opcode == audioMasterAutomate && call.index == index;
    return n;
  }
  // The panel drawn headlessly from the same parameter values.
  std::vector<uint32_t> headlessRendering() {
    std::vector<std::pair<int, float>> settings;
    for (int i = 0; i < 9; ++i) settings.emplace_back(i, instance.getParameter(i));
    return headlessPanelPicture(GYRELLE_PLUGIN_DIR, settings);
  }

  XConnection x;
  Instance instance{"gyrelle-mono"};
  xcb_window_t top = 0;
  std::unique_ptr<HostUiThread> ui;
};

TEST_F(X11Host, RealPointerEventsDriveThePanelThroughTheRecord) {
  ui->request(true);
  EXPECT_EQ(ui->openAnswer.load(), 1);
  EXPECT_EQ(ui->rectBottom.load(), 316);
  EXPECT_EQ(ui->rectRight.load(), 512);
  const xcb_window_t win = panel();
  ASSERT_NE(win, 0u);
  idleFor(5);

  // The Range knob: 40 pixels up from its default is a quarter of its range.
  ASSERT_FLOAT_EQ(instance.getParameter(2), 0.5f);
  moveTo(240, 120);
  press();
  idleFor(5);
  moveTo(240, 80);
  ASSERT_TRUE(waitFor([&] { return instance.getParameter(2) == 0.75f; }));
  release();
  idleFor(3);
  EXPECT_FLOAT_EQ(instance.getParameter(2), 0.75f);
  EXPECT_GT(automationsOf(2), 0);

  // The render level menu: its popup opens below it; "4 (best)" is the fourth entry.
  click(350, 239);
  ASSERT_TRUE(waitFor([&] { return x.popupShown(); }));
  sleepMs(100);  // and has grabbed the pointer
  const int entryRow = 249 + 2 + 18 * 3 + 9;
  moveTo(330, entryRow);
  sleepMs(50);
  click(330, entryRow);
  ASSERT_TRUE(waitFor([&] { return instance.getParameter(0) == 0.85f; }));
  EXPECT_GT(automationsOf(0), 0);

  // The wet slider: grab its handle (top at row 91 for the default) and pull it down.
  const float wetBefore = instance.getParameter(8);
  moveTo(56, 95);
  press();
  ASSERT_TRUE(waitFor([&] { return idleCalls() > 0; }));
  for (int v = 100; v <= 200; v += 20) {
    moveTo(56, v);
    sleepMs(30);
  }
  sleepMs(100);
  release();
  idleFor(5);
  EXPECT_LT(instance.getParameter(8), wetBefore - 0.3f);
  EXPECT_GT(automationsOf(8), 0);

  // HELP opens the page, the arrows scroll it, close brings the panel back.
  moveTo(300, 300);
  idleFor(3);
  const std::vector<uint32_t> panelShown = settledRead(win);
  click(430, 10);
  moveTo(300, 300);  // no hover outline on the strip
  idleFor(3);
  const std::vector<uint32_t> helpPage = settledRead(win);
  ASSERT_EQ(helpPage.size(), size_t(kW * kH));
  EXPECT_EQ(helpPage[size_t(100 * kW + 300)], 0u);  // the overlay covers the knobs
  click(420, 10);                                    // down arrows: the text moves up a line
  moveTo(300, 300);
  idleFor(3);
  EXPECT_NE(settledRead(win), helpPage);
  click(500, 10);  // up arrows: back to the first line
  moveTo(300, 300);
  idleFor(3);
  EXPECT_TRUE(shows(win, helpPage));
  click(460, 10);  // close
  moveTo(300, 300);
  idleFor(3);
  EXPECT_TRUE(shows(win, panelShown));

  // Closing and opening again: a new panel window, showing the same values.
  ui->request(false);
  EXPECT_TRUE(waitFor([&] { return x.children(top).empty(); }));
  ui->request(true);
  const xcb_window_t again = panel();
  ASSERT_NE(again, 0u);
  idleFor(5);

  // The real window and the headless rendering of the same state agree pixel for pixel.
  const std::vector<uint32_t> expected = headlessRendering();
  shows(again, expected);
  const std::vector<uint32_t> got = settledRead(again);
  ASSERT_EQ(got.size(), expected.size());
  int differing = 0;
  for (size_t i = 0; i < got.size(); ++i) differing += got[i] != expected[i];
  EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace gyrelle::testing
