#include "plugin/GuiEditor.h"

#include "plugin/GrooveEngine.h"

namespace gyrelle {

GuiEditor::GuiEditor(GrooveEngine* effect) : EditorBase(effect), engine_(effect), panel_(this) {
  const PanelRect bounds = panel_.panelBounds();
  editorRectangle.top = int16_t(bounds.top);
  editorRectangle.left = int16_t(bounds.left);
  editorRectangle.bottom = int16_t(bounds.bottom);
  editorRectangle.right = int16_t(bounds.right);
  if (effect != nullptr) effect->attachEditor(this);
}

// The panel goes first: its widgets may still call back into this object.
GuiEditor::~GuiEditor() { panel_.closeEditor(); }

intptr_t GuiEditor::editorRect(ERect** out) {
  if (out == nullptr) return 0;
  *out = &editorRectangle;
  return 1;
}

intptr_t GuiEditor::openEditor(void* parent) {
  parentWindow = parent;
  return panel_.openEditor(parent);
}

void GuiEditor::closeEditor() { panel_.closeEditor(); }

void GuiEditor::editorIdle() { panel_.editorIdle(); }

void GuiEditor::requestRefresh() { panel_.requestRefresh(); }

void GuiEditor::parameterChanged(int32_t index, float value) { panel_.parameterChanged(index, value); }

float GuiEditor::parameterValue(int32_t index) const { return engine_->readParameter(index); }

// VST 2 hosts record automation from the writes themselves; no gesture is announced.
void GuiEditor::beginEdit(int32_t) {}

void GuiEditor::performEdit(int32_t index, float value) { engine_->writeParameterAndNotify(index, value); }

void GuiEditor::endEdit(int32_t) {}

GrooveDisplayState GuiEditor::grooveDisplayState() const {
  return GrooveDisplayState{engine_->currentGrooveCount(), engine_->currentGroovePhase()};
}

void GuiEditor::idleHost() { engine_->hostIdle(); }

}  // namespace gyrelle
