#include "host/EditorBase.h"

namespace gyrelle {

EditorBase::EditorBase(HostedEffect* effect) : ownerEffect(effect) {}

EditorBase::~EditorBase() = default;

intptr_t EditorBase::editorRect(ERect** out) {
  if (out != nullptr) *out = nullptr;
  return 0;
}

intptr_t EditorBase::openEditor(void* parent) {
  parentWindow = parent;
  return 0;
}

void EditorBase::closeEditor() {}

void EditorBase::editorIdle() {
  if (refreshPending.exchange(0, std::memory_order_acq_rel) != 0) refreshPanel();
}

void EditorBase::refreshPanel() {}

void EditorBase::requestRefresh() { refreshPending.store(1, std::memory_order_release); }

void EditorBase::parameterChanged(int32_t, float) {}

}  // namespace gyrelle
