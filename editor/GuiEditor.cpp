#include "editor/GuiEditor.h"

#include "host/HostedEffect.h"
#include "toolkit/PanelFrame.h"
#include "toolkit/PanelPlatform.h"

namespace gyrelle {

GuiEditor::GuiEditor(HostedEffect* effect) : EditorBase(effect), lastIdleTicks(panelTickCount()) {
  if (effect != nullptr) effect->attachEditor(this);
}

intptr_t GuiEditor::editorRect(ERect** out) {
  if (out == nullptr) return 0;
  *out = &editorRectangle;
  return 1;
}

intptr_t GuiEditor::openEditor(void* parent) {
  requestRefresh();
  return EditorBase::openEditor(parent);
}

void GuiEditor::editorIdle() {
  EditorBase::editorIdle();
  if (frame != nullptr) frame->refreshAll();
}

void GuiEditor::parameterChanged(int32_t, float) { requestRefresh(); }

void GuiEditor::redrawPanel(const PanelRect&) {
  if (frame != nullptr) frame->drawWidgetNow(nullptr);
}

void GuiEditor::idleWhileTracking() {
  const uint32_t now = panelTickCount();
  // Unsigned difference: the 32-bit millisecond clock may wrap.
  if (now - lastIdleTicks < kTrackingIdleMs) return;
  lastIdleTicks = now;
  editorIdle();
  if (ownerEffect != nullptr) ownerEffect->hostIdle();
}

}  // namespace gyrelle
