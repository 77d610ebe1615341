// A small LV2 UI host of our own for the tests under Xvfb: it finds the UI
// and its library in the built bundle with lilv, loads the library's
// descriptor, embeds the UI in a window of its own, drives it on its idle
// interface and writes down what the UI tells it, while real pointer events
// (XTest) reach the panel. Everything runs on the test's one thread, as an
// LV2 host runs a UI on its UI thread.
#pragma once

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
#include "tests/support/HeadlessPanelPicture.h"
#include "tests/support/XTestServer.h"

namespace gyrelle::testing {

constexpr int kW = 512, kH = 316;
constexpr int16_t kLeft = 100, kTop = 60;  // the host window on the screen
constexpr char kMono[] = "urn:quillfen:gyrelle:mono";

inline void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The bundle as lilv reads it: the panel's UI for the mono plug-in.
struct BundleUi {
  std::string uri;
  std::string binary;
  std::vector<std::string> requiredFeatures;
  bool isX11 = false;
};

inline BundleUi findUi() {
  BundleUi found;
  LilvWorld* world = lilv_world_new();
  LilvNode* bundle = lilv_new_file_uri(world, nullptr, GYRELLE_LV2_BUNDLE);
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
    return descriptor->instantiate(descriptor, kMono, GYRELLE_LV2_BUNDLE, &Lv2UiX11::write, this, &widget,
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
    return headlessPanelPicture(GYRELLE_PLUGIN_DIR, settings);
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

}  // namespace gyrelle::testing
