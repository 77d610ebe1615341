#include "toolkit/XcbPlatform.h"

#include <time.h>

namespace gyrelle {

namespace {

class XcbPlatform : public PanelPlatform {
 public:
  std::unique_ptr<PanelWindow> createWindow(uintptr_t, int32_t, int32_t, const char*) override {
    return nullptr;
  }
  uint32_t tickCount() override {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint32_t(uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u);
  }
};

}  // namespace

PanelPlatform& xcbPanelPlatform() {
  static XcbPlatform platform;
  return platform;
}

}  // namespace gyrelle
