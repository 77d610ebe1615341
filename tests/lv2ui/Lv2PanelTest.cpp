// The panel over LV2 ports, on the headless platform: what goes out through
// the write function and the touch feature when the panel is used, and what
// the host's port events do to it. Port values are checked against the
// ports' units worked out here from the panel's geometry, not through the
// conversions under test.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "editor/KnobView.h"
#include "editor/PanelEditor.h"
#include "lv2ui/Lv2Panel.h"
#include "toolkit/ChoiceMenu.h"
#include "toolkit/HeadlessPlatform.h"
#include "toolkit/PanelFrame.h"
#include "toolkit/VerticalSlider.h"

namespace gyrelle::testing {
namespace {

using lv2::Lv2Panel;
using lv2::Lv2UiHost;

constexpr uintptr_t kHostWindow = 0x4242;

// What the UI told the host, in order.
struct HostEvent {
  enum Kind { Write, TouchOn, TouchOff } kind;
  uint32_t port;
  float value;
};

struct RecordingHost {
  std::vector<HostEvent> events;
  int resizes = 0;
  int width = 0, height = 0;

  static void write(LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    auto* self = static_cast<RecordingHost*>(c);
    ASSERT_EQ(size, sizeof(float));
    ASSERT_EQ(format, 0u);
    float v;
    std::memcpy(&v, buffer, sizeof v);
    self->events.push_back(HostEvent{HostEvent::Write, port, v});
  }
  static void touch(LV2UI_Feature_Handle h, uint32_t port, bool grabbed) {
    static_cast<RecordingHost*>(h)->events.push_back(
        HostEvent{grabbed ? HostEvent::TouchOn : HostEvent::TouchOff, port, 0.0f});
  }
  static int resize(LV2UI_Feature_Handle h, int w, int hgt) {
    auto* self = static_cast<RecordingHost*>(h);
    ++self->resizes;
    self->width = w;
    self->height = hgt;
    return 0;
  }

  std::vector<float> writesTo(uint32_t port) const {
    std::vector<float> out;
    for (const HostEvent& e : events)
      if (e.kind == HostEvent::Write && e.port == port) out.push_back(e.value);
    return out;
  }
  // Every write to `port` lies between one touch on and one touch off of that port.
  ::testing::AssertionResult bracketed(uint32_t port) const {
    int state = 0;  // 0 before, 1 touched, 2 released
    int writes = 0;
    for (const HostEvent& e : events) {
      if (e.port != port) continue;
      if (e.kind == HostEvent::TouchOn && state == 0) state = 1;
      else if (e.kind == HostEvent::TouchOff && state == 1) state = 2;
      else if (e.kind == HostEvent::Write && state == 1) ++writes;
      else return ::testing::AssertionFailure() << "event " << e.kind << " in state " << state;
    }
    if (state != 2 || writes == 0) return ::testing::AssertionFailure() << "state " << state << ", " << writes << " writes";
    return ::testing::AssertionSuccess();
  }
};

class Lv2PanelTest : public ::testing::Test {
 protected:
  void SetUp() override { usePanelPlatformForTesting(&platform); }
  void TearDown() override {
    delete panel;
    usePanelPlatformForTesting(nullptr);
  }

  void open(bool withTouch = true) {
    Lv2UiHost services;
    services.write = &RecordingHost::write;
    services.controller = &host;
    touch = LV2UI_Touch{&host, &RecordingHost::touch};
    resize = LV2UI_Resize{&host, &RecordingHost::resize};
    services.touch = withTouch ? &touch : nullptr;
    services.resize = &resize;
    panel = new Lv2Panel(services);
    ASSERT_TRUE(panel->open(kHostWindow));
    idle();  // the first Expose paints the whole panel
  }
  int idle() { return panel->idle(); }
  HeadlessWindow& window() { return *platform.window(panel->window()); }
  void portEvent(uint32_t port, float value) { panel->portEvent(port, sizeof value, 0, &value); }
  void press(PanelPoint where) {
    window().setPointer(where, MouseLeft);
    window().queueButtonPress(1, where);
    idle();
  }
  void dragTo(PanelPoint where) {
    window().setPointer(where, MouseLeft);
    idle();
  }
  void release(PanelPoint where) {
    window().setPointer(where, 0);
    idle();
  }

  HeadlessPlatform platform;
  RecordingHost host;
  LV2UI_Touch touch{};
  LV2UI_Resize resize{};
  Lv2Panel* panel = nullptr;
};

TEST_F(Lv2PanelTest, OpensInTheHostWindowAndGivesItsSize) {
  open();
  EXPECT_EQ(window().parent(), kHostWindow);
  EXPECT_EQ(host.resizes, 1);
  EXPECT_EQ(host.width, 512);
  EXPECT_EQ(host.height, 316);
  EXPECT_EQ(idle(), 0);
  EXPECT_TRUE(host.events.empty());  // opening writes nothing
}

TEST_F(Lv2PanelTest, AKnobDragWritesSemitonesBetweenTouches) {
  open();
  // The Range knob (189, 48)-(290, 177) at 24 semitones: 160 pixels are its 48.
  press({240, 120});
  ASSERT_EQ(host.events.size(), 1u);
  EXPECT_EQ(host.events[0].kind, HostEvent::TouchOn);
  EXPECT_EQ(host.events[0].port, 2u);
  for (int row : {110, 100, 80, 60}) dragTo({240, row});
  release({240, 60});

  EXPECT_TRUE(host.bracketed(2));
  const std::vector<float> writes = host.writesTo(2);
  ASSERT_EQ(writes.size(), 4u);
  const int rows[] = {110, 100, 80, 60};
  for (size_t i = 0; i < writes.size(); ++i) {
    EXPECT_NEAR(writes[i], 24.0 + 48.0 * (120 - rows[i]) / 160.0, 1e-4) << i;
  }
  EXPECT_STREQ(panel->panel().knob(2)->shownText(), "42 s/ tones");
  for (const HostEvent& e : host.events) EXPECT_EQ(e.port, 2u);  // no other port was touched
}

TEST_F(Lv2PanelTest, WithoutTheTouchFeatureOnlyWritesGoOut) {
  open(false);
  press({350, 120});  // Speed, at 0.7 (about 0.297 Hz)
  dragTo({350, 40});  // half its range up: the top, +20 Hz
  release({350, 40});
  ASSERT_EQ(host.events.size(), 1u);
  EXPECT_EQ(host.events[0].kind, HostEvent::Write);
  EXPECT_EQ(host.events[0].port, 3u);
  EXPECT_FLOAT_EQ(host.events[0].value, 20.0f);
}

TEST_F(Lv2PanelTest, ASliderDragWritesDecibels) {
  open();
  // The wet handle's top is at row 91 for unity gain; grab it 4 rows down and pull.
  window().setPointer({56, 95}, MouseLeft);
  window().scriptPointer({{{56, 120}, MouseLeft}, {{56, 150}, MouseLeft}, {{56, 200}, MouseLeft}});
  window().queueButtonPress(1, {56, 95});
  idle();
  EXPECT_TRUE(host.bracketed(8));
  const std::vector<float> writes = host.writesTo(8);
  ASSERT_GE(writes.size(), 3u);
  // Handle top at row - 4; value 1 at the top row 58, 0 at 257; gain 1.2 x value.
  const float last = writes.back();
  EXPECT_NEAR(last, 20.0 * std::log10(1.2 * (1.0 - (200 - 4 - 58) / 199.0)), 1e-3);
  for (size_t i = 1; i < writes.size(); ++i) EXPECT_LE(writes[i], writes[i - 1]);
}

TEST_F(Lv2PanelTest, AMenuChoiceIsAGestureOfItsOwn) {
  open();
  platform.queuePopupChoice(3);  // "4 (best)"
  press({350, 239});
  release({350, 239});
  EXPECT_TRUE(host.bracketed(0));
  ASSERT_EQ(host.writesTo(0).size(), 1u);
  EXPECT_EQ(host.writesTo(0)[0], 4.0f);
}

TEST_F(Lv2PanelTest, ClosingInTheMiddleOfADragEndsTheTouch) {
  open();
  press({240, 120});
  dragTo({240, 100});
  delete panel;
  panel = nullptr;
  EXPECT_TRUE(host.bracketed(2));
}

TEST_F(Lv2PanelTest, PortEventsMoveTheControlsInTheirUnits) {
  open();
  struct Case {
    uint32_t port;
    float portValue;
    float parameter;
    const char* text;  // the knob's text, or null for a slider
  };
  const Case cases[] = {
      {1, 10.0f, 1.0f, "10"},          {2, 36.0f, 0.75f, "36 s/ tones"},
      {3, -20.0f, 0.0f, "-20 Hz"},     {3, 0.0f, 0.5f, "0 Hz"},
      {4, -1.0f, 0.0f, "-1"},          {5, 0.5f, 0.75f, "0.5"},
      {6, 90.0f, 1.0f, "90 %"},        {7, -90.0f, 0.0f, nullptr},
      {8, 0.0f, 1.0f / 1.2f, nullptr},
  };
  for (const Case& c : cases) {
    portEvent(c.port, c.portValue);
    EXPECT_NEAR(panel->parameterValue(int32_t(c.port)), c.parameter, 1e-6) << c.port;
    if (c.text != nullptr) {
      EXPECT_NEAR(panel->panel().knob(int32_t(c.port))->value(), c.parameter, 1e-6) << c.port;
      EXPECT_STREQ(panel->panel().knob(int32_t(c.port))->shownText(), c.text) << c.port;
    } else {
      EXPECT_NEAR(panel->panel().slider(int32_t(c.port))->value(), c.parameter, 1e-6) << c.port;
    }
  }
  portEvent(0, 3.0f);
  EXPECT_EQ(panel->panel().renderMenu()->currentIndex(nullptr), 2);
  EXPECT_TRUE(host.events.empty());  // the host's own values are not written back
}

TEST_F(Lv2PanelTest, OddPortEventsChangeNothing) {
  open();
  const float before = panel->panel().knob(2)->value();
  const float nan = NAN, inf = INFINITY, value = 12.0f;
  const double wide = 12.0;
  panel->portEvent(2, sizeof nan, 0, &nan);
  panel->portEvent(2, sizeof inf, 0, &inf);
  panel->portEvent(2, sizeof value, 7, &value);  // an atom or another protocol
  panel->portEvent(2, sizeof wide, 0, &wide);
  panel->portEvent(2, sizeof value, 0, nullptr);
  panel->portEvent(9, sizeof value, 0, &value);  // latency
  panel->portEvent(99, sizeof value, 0, &value);
  EXPECT_EQ(panel->panel().knob(2)->value(), before);
  EXPECT_EQ(panel->parameterValue(2), 0.5f);
  EXPECT_EQ(idle(), 0);
}

TEST_F(Lv2PanelTest, TheGrooveDisplayFollowsThePhasePort) {
  open();
  portEvent(1, 6.0f);
  portEvent(10, 3.25f);
  GrooveDisplayState s = panel->grooveDisplayState();
  EXPECT_EQ(s.grooveCount, 6);
  EXPECT_EQ(s.phase, 3.25f);
  const std::vector<uint32_t> before = window().pixels();
  portEvent(10, 0.75f);
  idle();
  EXPECT_NE(window().pixels(), before);  // the display turned
  // A phase beyond the count (the count dropped since the last run) stays in the cycle.
  portEvent(1, 2.0f);
  portEvent(10, 3.25f);
  s = panel->grooveDisplayState();
  EXPECT_EQ(s.grooveCount, 2);
  EXPECT_GE(s.phase, 0.0f);
  EXPECT_LT(s.phase, 2.0f);
}

TEST_F(Lv2PanelTest, IdleAnswersOneOnceTheWindowIsGone) {
  open();
  EXPECT_EQ(idle(), 0);
  window().queueDestroy();
  EXPECT_EQ(idle(), 1);
  EXPECT_EQ(idle(), 1);
  portEvent(2, 12.0f);  // still safe
}

TEST_F(Lv2PanelTest, AParentThatIsGoneGivesNoPanel) {
  platform.markParentMissing(kHostWindow);
  Lv2UiHost services;
  services.write = &RecordingHost::write;
  services.controller = &host;
  panel = new Lv2Panel(services);
  EXPECT_FALSE(panel->open(kHostWindow));
}

}  // namespace
}  // namespace gyrelle::testing
