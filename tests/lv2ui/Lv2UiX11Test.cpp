// The panel's LV2 UI in a real X server (run under tools/with-xvfb.sh),
// loaded and driven by the test host of UiHostFixture.h alone: no DSP in
// the process.
#include "tests/lv2ui/UiHostFixture.h"

namespace gyrelle::testing {
namespace {

TEST_F(Lv2UiX11, TheBundleDeclaresAnEmbeddedUiWithIdle) {
  EXPECT_EQ(ui.uri, "urn:quillfen:gyrelle:ui");
  // The UI library brought no FFTW into the process (the signal path is not in it).
  EXPECT_EQ(dlopen("libfftw3f.so.3", RTLD_NOW | RTLD_NOLOAD), nullptr);
  EXPECT_EQ(ui.requiredFeatures.size(), 2u);
  for (const std::string& f : ui.requiredFeatures) {
    EXPECT_TRUE(f == LV2_UI__parent || f == LV2_UI__idleInterface) << f;
  }
  // The UI refuses what it cannot be: no parent, a parent that is gone, another plug-in.
  const LV2_Feature* none[] = {nullptr};
  EXPECT_EQ(descriptor->instantiate(descriptor, kMono, "", &Lv2UiX11::write, this, &widget, none), nullptr);
  EXPECT_EQ(instantiate(0x7ffffff0u), nullptr);
  const LV2_Feature parentFeature{LV2_UI__parent, reinterpret_cast<void*>(uintptr_t(top))};
  const LV2_Feature* parentOnly[] = {&parentFeature, nullptr};
  EXPECT_EQ(descriptor->instantiate(descriptor, "urn:other", "", &Lv2UiX11::write, this, &widget, parentOnly),
            nullptr);
  EXPECT_TRUE(x.children(top).empty());
}

TEST_F(Lv2UiX11, APointerDragWritesTheKnobsPortBetweenTouches) {
  handle = instantiate(top);
  ASSERT_NE(handle, nullptr);
  const std::vector<xcb_window_t> kids = x.children(top);
  ASSERT_EQ(kids.size(), 1u);
  EXPECT_EQ(kids[0], panelWindow());
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_EQ(sizes[0], std::make_pair(kW, kH));
  idleFor(5);
  EXPECT_EQ(lastIdle, 0);

  // The Range knob, at 24 semitones: 160 pixels up are its whole 48.
  moveTo(240, 120);
  press();
  idleFor(5);
  for (int row : {100, 80, 60}) {
    moveTo(240, row);
    idleFor(5);
  }
  release();
  idleFor(5);

  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.front().kind, HostEvent::TouchOn);
  EXPECT_EQ(events.back().kind, HostEvent::TouchOff);
  float last = 24.0f;
  int writes = 0;
  for (size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i].port, 2u);
    if (i == 0 || i + 1 == events.size()) continue;
    ASSERT_EQ(events[i].kind, HostEvent::Write) << i;
    EXPECT_GE(events[i].value, last);  // it follows the pointer up
    last = events[i].value;
    ++writes;
  }
  EXPECT_GE(writes, 3);
  EXPECT_FLOAT_EQ(last, 24.0f + 48.0f * 60.0f / 160.0f);
}

TEST_F(Lv2UiX11, PortEventsMoveTheKnobAndTheDisplayAsTheHeadlessPanelDraws) {
  handle = instantiate(top);
  ASSERT_NE(handle, nullptr);
  moveTo(300, 300);  // away from the help strip's hover outline
  const std::vector<uint32_t> before = settledRead();
  ASSERT_EQ(before.size(), size_t(kW * kH));

  // Speed to -5 Hz: only the Speed knob (302, 48)-(403, 177) changes.
  portEvent(3, -5.0f);
  const std::vector<uint32_t> speedMoved = settledRead();
  const auto [inKnob, elsewhere] = differences(before, speedMoved, 302, 48, 403, 177);
  EXPECT_GT(inKnob, 100);
  EXPECT_EQ(elsewhere, 0);

  // The same values drawn by the VST 2 build's panel, headless: pixel for pixel.
  const float speed = lv2::parameterFromPort(3, -5.0f);
  const std::vector<uint32_t> expected = headlessRendering({{3, speed}});
  ASSERT_EQ(expected.size(), speedMoved.size());
  EXPECT_EQ(differences(expected, speedMoved, 0, 0, -1, -1).second, 0);

  // The grooves' phase turns the display (415, 47)-(500, 270), and nothing else.
  portEvent(10, 1.7f);
  const std::vector<uint32_t> turned = settledRead();
  const auto [inDisplay, outside] = differences(speedMoved, turned, 415, 47, 500, 270);
  EXPECT_GT(inDisplay, 20);
  EXPECT_EQ(outside, 0);
  EXPECT_TRUE(events.empty());  // nothing is written back for the host's own values
}

TEST_F(Lv2UiX11, CloseAndReopenAreClean) {
  for (int round = 0; round < 3; ++round) {
    handle = instantiate(top);
    ASSERT_NE(handle, nullptr) << round;
    idleFor(5);
    EXPECT_EQ(lastIdle, 0);
    EXPECT_EQ(x.children(top).size(), 1u);
    portEvent(2, 12.0f);
    idleFor(2);
    descriptor->cleanup(handle);
    handle = nullptr;
    x.sync();
    for (int i = 0; i < 100 && !x.children(top).empty(); ++i) sleepMs(10);
    EXPECT_TRUE(x.children(top).empty()) << round;
  }
}

TEST_F(Lv2UiX11, AVanishedParentDoesNotCrashTheHost) {
  handle = instantiate(top);
  ASSERT_NE(handle, nullptr);
  idleFor(5);
  // Mid-drag, as a user might close the host's window.
  moveTo(240, 120);
  press();
  idleFor(3);
  xcb_destroy_window(x.c, top);
  x.sync();
  for (int i = 0; i < 300 && lastIdle != 1; ++i) idleFor(1);
  EXPECT_EQ(lastIdle, 1);
  moveTo(240, 60);
  idleFor(3);
  release();
  portEvent(3, 5.0f);
  portEvent(10, 2.0f);
  idleFor(3);
  EXPECT_EQ(lastIdle, 1);
  descriptor->cleanup(handle);
  handle = nullptr;
  // The drag that the window took with it still ends its gesture.
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.front().kind, HostEvent::TouchOn);
  EXPECT_EQ(events.back().kind, HostEvent::TouchOff);
}

}  // namespace
}  // namespace gyrelle::testing
