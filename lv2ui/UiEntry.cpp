// The UI library's entry: the descriptor of the panel's X11 UI, and the
// C functions the host calls on it. Every function here runs on the host's
// UI thread; lv2ui_descriptor may run on any thread and touches no state.
#include <lv2/ui/ui.h>

#include <cstring>
#include <new>

#include "lv2/PortLayout.h"
#include "lv2ui/Lv2Panel.h"

namespace gyrelle::lv2 {

namespace {

const void* featureData(const LV2_Feature* const* features, const char* uri) {
  if (features == nullptr) return nullptr;
  for (const LV2_Feature* const* f = features; *f != nullptr; ++f) {
    if ((*f)->URI != nullptr && std::strcmp((*f)->URI, uri) == 0) return (*f)->data;
  }
  return nullptr;
}

bool hasFeature(const LV2_Feature* const* features, const char* uri) {
  if (features == nullptr) return false;
  for (const LV2_Feature* const* f = features; *f != nullptr; ++f) {
    if ((*f)->URI != nullptr && std::strcmp((*f)->URI, uri) == 0) return true;
  }
  return false;
}

bool isOurPlugin(const char* uri) {
  return uri != nullptr && (std::strcmp(uri, kMonoUri) == 0 || std::strcmp(uri, kStereoUri) == 0);
}

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                         const LV2_Feature* const* features) {
  if (!isOurPlugin(pluginUri) || write == nullptr || widget == nullptr) return nullptr;
  // Embedded only: the panel is a child of the host's window. A parent of 0 is none.
  if (!hasFeature(features, LV2_UI__parent)) return nullptr;
  const uintptr_t parent = reinterpret_cast<uintptr_t>(featureData(features, LV2_UI__parent));
  if (parent == 0) return nullptr;

  Lv2UiHost host;
  host.write = write;
  host.controller = controller;
  host.touch = static_cast<const LV2UI_Touch*>(featureData(features, LV2_UI__touch));
  host.resize = static_cast<const LV2UI_Resize*>(featureData(features, LV2_UI__resize));

  auto* panel = new (std::nothrow) Lv2Panel(host);
  if (panel == nullptr) return nullptr;
  if (!panel->open(parent)) {
    delete panel;
    return nullptr;
  }
  *widget = reinterpret_cast<LV2UI_Widget>(panel->window());
  return panel;
}

void cleanup(LV2UI_Handle handle) { delete static_cast<Lv2Panel*>(handle); }

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer) {
  if (handle != nullptr) static_cast<Lv2Panel*>(handle)->portEvent(port, bufferSize, format, buffer);
}

int idle(LV2UI_Handle handle) { return handle != nullptr ? static_cast<Lv2Panel*>(handle)->idle() : 1; }

const LV2UI_Idle_Interface kIdleInterface = {idle};

const void* extensionData(const char* uri) {
  if (uri != nullptr && std::strcmp(uri, LV2_UI__idleInterface) == 0) return &kIdleInterface;
  return nullptr;
}

const LV2UI_Descriptor kDescriptor = {kUiUri, instantiate, cleanup, portEvent, extensionData};

}  // namespace

}  // namespace gyrelle::lv2

extern "C" __attribute__((visibility("default"))) const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
  return index == 0 ? &gyrelle::lv2::kDescriptor : nullptr;
}
