#include "toolkit/PanelPlatform.h"

#include <atomic>

#include "toolkit/XcbPlatform.h"

namespace gyrelle {

namespace {
std::atomic<PanelPlatform*> testPlatform{nullptr};
}  // namespace

PanelPlatform& currentPanelPlatform() {
  PanelPlatform* platform = testPlatform.load();
  if (platform != nullptr) return *platform;
  return xcbPanelPlatform();
}

void usePanelPlatformForTesting(PanelPlatform* platform) { testPlatform.store(platform); }

uint32_t panelTickCount() { return currentPanelPlatform().tickCount(); }

}  // namespace gyrelle
