// The panel's LV2 UI in a real X server (run under tools/with-xvfb.sh): a
// small host of our own finds the UI and its library in the built bundle
// with lilv, loads the library's descriptor, embeds the UI in a window of
// its own and drives it on its idle interface, while real pointer events
// (XTest) reach the panel. Everything runs on the test's one thread, as an
// LV2 host runs a UI on its UI thread.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/ui/ui.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "lv2/PortValues.h"
#include "tests/support/XTestServer.h"

namespace gyrelle::testing {
namespace {

constexpr int kW = 512, kH = 316;
constexpr int16_t kLeft = 100, kTop = 60;  // the host window on the screen
constexpr char kMono[] = "urn:quillfen:gyrelle:mono";

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The bundle as lilv reads it: the panel's UI for the mono plug-in.
struct BundleUi {
  std::string uri;
  std::string binary;
  std::vector<std::string> requiredFeatures;
  bool isX11 = false;
};

BundleUi findUi() {
  BundleUi found;
  LilvWorld* world = lilv_world_new();
  LilvNode* bundle = lilv_new_file_uri(world, nullptr, GYRELLE_LV2_BUNDLE "/");
  lilv_world_load_bundle(world, bundle);
  LilvNode* pluginUri = lilv_new_uri(world, kMono);
  LilvNode* x11 = lilv_new_uri(world, LV2_UI__X11UI);
  LilvNode* required = lilv_new_uri(world, LV2_CORE__requiredFeature);
  const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), pluginUri);
  LilvUIs* uis = plugin != nullptr ? lilv_plugin_get_uis(plugin) : nullptr;
  if (uis != nullptr && lilv_uis_size(uis) == 1) {
    const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
    found.uri = lilv_node_as_uri(lilv_ui_get_uri(ui));
    found.isX11 = lilv_ui_is_a(ui, x11);
    char* path = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
    found.binary = path != nullptr ? path : "";
    lilv_free(path);
    lilv_world_load_resource(world, lilv_ui_get_uri(ui));  // the UI's own Turtle
    LilvNodes* features = lilv_world_find_nodes(world, lilv_ui_get_uri(ui), required, nullptr);
    LILV_FOREACH(nodes, i, features) found.requiredFeatures.push_back(lilv_node_as_uri(lilv_nodes_get(features, i)));
    lilv_nodes_free(features);
  }
  if (uis != nullptr) lilv_uis_free(uis);
  lilv_node_free(required);
  lilv_node_free(x11);
  lilv_node_free(pluginUri);
  lilv_node_free(bundle);
  lilv_world_free(world);
  return found;
}

// What the UI told the host, in order.
struct HostEvent {
  enum Kind { Write, TouchOn, TouchOff } kind;
  uint32_t port;
  float value;
};

class Lv2UiX11 : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(x.ok()) << "no X display (run under tools/with-xvfb.sh)";
    ui = findUi();
    ASSERT_TRUE(ui.isX11);
    library = dlopen(ui.binary.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"));
    ASSERT_NE(entry, nullptr);
    for (uint32_t i = 0; entry(i) != nullptr; ++i) {
      if (ui.uri == entry(i)->URI) descriptor = entry(i);
    }
    ASSERT_NE(descriptor, nullptr) << "no descriptor for " << ui.uri;
    ASSERT_NE(descriptor->extension_data, nullptr);
    idleInterface = static_cast<const LV2UI_Idle_Interface*>(descriptor->extension_data(LV2_UI__idleInterface));
    ASSERT_NE(idleInterface, nullptr);
    top = x.makeWindow(kLeft, kTop, kW, kH, 0x202020u);
  }
  void TearDown() override {
    if (handle != nullptr) descriptor->cleanup(handle);
    if (library != nullptr) dlclose(library);
  }

  // Instantiates the UI in `parent` with every feature the host offers.
  LV2UI_Handle instantiate(uintptr_t parent) {
    const LV2_Feature parentFeature{LV2_UI__parent, reinterpret_cast<void*>(parent)};
    const LV2_Feature resizeFeature{LV2_UI__resize, &resize};
    const LV2_Feature touchFeature{LV2_UI__touch, &touch};
    const LV2_Feature idleFeature{LV2_UI__idleInterface, nullptr};
    const LV2_Feature* features[] = {&parentFeature, &resizeFeature, &touchFeature, &idleFeature, nullptr};
    widget = nullptr;
    return descriptor->instantiate(descriptor, kMono, GYRELLE_LV2_BUNDLE "/", &Lv2UiX11::write, this, &widget,
                                   features);
  }
  void idleFor(int count) {
    for (int i = 0; i < count; ++i) {
      lastIdle = idleInterface->idle(handle);
      sleepMs(10);
    }
  }
  void portEvent(uint32_t port, float value) { descriptor->port_event(handle, port, sizeof value, 0, &value); }
  void moveTo(int h, int v) { x.fake(XCB_MOTION_NOTIFY, 0, int16_t(kLeft + h), int16_t(kTop + v)); }
  void press() { x.fake(XCB_BUTTON_PRESS, 1); }
  void release() { x.fake(XCB_BUTTON_RELEASE, 1); }
  xcb_window_t panelWindow() const { return xcb_window_t(reinterpret_cast<uintptr_t>(widget)); }

  // The panel's pixels once its drawing (on its own connection) has reached
  // the server: idled until two reads 40 ms apart agree.
  std::vector<uint32_t> settledRead() {
    std::vector<uint32_t> last = x.read(panelWindow(), kW, kH);
    for (int i = 0; i < 50; ++i) {
      idleFor(4);
      std::vector<uint32_t> now = x.read(panelWindow(), kW, kH);
      if (now == last) break;
      last = std::move(now);
    }
    return last;
  }
  // The panel drawn headlessly by gyrelle-panel from the same parameter values.
  std::vector<uint32_t> headlessRendering(const std::vector<std::pair<int, float>>& settings) {
    const std::string picture = ::testing::TempDir() + "gyrelle-lv2ui-reference.ppm";
    std::string command = std::string(GYRELLE_PLUGIN_DIR) + "/gyrelle-panel --seconds 0";
    for (const auto& [index, value] : settings) {
      char assignment[64];
      std::snprintf(assignment, sizeof assignment, " --set %d=%.9g", index, double(value));
      command += assignment;
    }
    command += " " + picture;
    std::vector<uint32_t> pixels;
    if (std::system(command.c_str()) != 0) return pixels;
    std::ifstream in(picture, std::ios::binary);
    std::string magic;
    int w = 0, h = 0, depth = 0;
    in >> magic >> w >> h >> depth;
    in.get();
    if (magic != "P6" || w != kW || h != kH || depth != 255) return pixels;
    for (int i = 0; i < w * h; ++i) {
      unsigned char rgb[3] = {};
      in.read(reinterpret_cast<char*>(rgb), 3);
      pixels.push_back((uint32_t(rgb[0]) << 16) | (uint32_t(rgb[1]) << 8) | rgb[2]);
    }
    std::remove(picture.c_str());
    return pixels;
  }
  // Pixels that differ between two pictures, inside and outside a rectangle.
  static std::pair<int, int> differences(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int left,
                                         int topRow, int right, int bottom) {
    int inside = 0, outside = 0;
    for (int v = 0; v < kH; ++v)
      for (int h = 0; h < kW; ++h) {
        if (a[size_t(v * kW + h)] == b[size_t(v * kW + h)]) continue;
        (h >= left && h <= right && v >= topRow && v <= bottom ? inside : outside) += 1;
      }
    return {inside, outside};
  }

  static void write(LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    auto* self = static_cast<Lv2UiX11*>(c);
    float v = NAN;
    if (size == sizeof v && format == 0) std::memcpy(&v, buffer, sizeof v);
    self->events.push_back(HostEvent{HostEvent::Write, port, v});
  }
  static void touched(LV2UI_Feature_Handle h, uint32_t port, bool grabbed) {
    static_cast<Lv2UiX11*>(h)->events.push_back(
        HostEvent{grabbed ? HostEvent::TouchOn : HostEvent::TouchOff, port, 0.0f});
  }
  static int resized(LV2UI_Feature_Handle h, int w, int hgt) {
    static_cast<Lv2UiX11*>(h)->sizes.emplace_back(w, hgt);
    return 0;
  }

  XTestServer x;
  BundleUi ui;
  void* library = nullptr;
  const LV2UI_Descriptor* descriptor = nullptr;
  const LV2UI_Idle_Interface* idleInterface = nullptr;
  LV2UI_Resize resize{this, &Lv2UiX11::resized};
  LV2UI_Touch touch{this, &Lv2UiX11::touched};
  xcb_window_t top = 0;
  LV2UI_Handle handle = nullptr;
  LV2UI_Widget widget = nullptr;
  int lastIdle = -1;
  std::vector<HostEvent> events;
  std::vector<std::pair<int, int>> sizes;
};

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
