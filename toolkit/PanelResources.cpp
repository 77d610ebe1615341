#include "toolkit/PanelResources.h"

namespace gyrelle {

namespace {
// Constant-initialised, so registration from any load-time constructor finds it ready.
const PanelResource* registryHead = nullptr;
}  // namespace

void registerPanelResource(PanelResource* resource) {
  if (resource == nullptr) return;
  resource->next = registryHead;
  registryHead = resource;
}

const PanelResource* findPanelResource(uint32_t id) {
  for (const PanelResource* r = registryHead; r != nullptr; r = r->next) {
    if ((r->id & 0xFFFFu) == (id & 0xFFFFu)) return r;
  }
  return nullptr;
}

}  // namespace gyrelle
