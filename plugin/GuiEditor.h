// The VST 2 editor: the object behind the editor opcodes, which owns the
// panel and is the panel's link to the effect in the same process. Panel
// edits become automated parameter writes; the groove display reads the
// engine's live state.
#pragma once

#include <cstdint>

#include "editor/PanelControls.h"
#include "editor/PanelEditor.h"
#include "host/EditorBase.h"

namespace gyrelle {

class GrooveEngine;

class GuiEditor : public EditorBase, public PanelControls {
 public:
  // Host thread that builds the effect: attaches itself to `effect`.
  explicit GuiEditor(GrooveEngine* effect);
  // Host thread that closes the effect.
  ~GuiEditor() override;

  // UI thread (effEditGetRect): the address of the panel rectangle; 1 (0 for a null `out`).
  intptr_t editorRect(ERect** out) override;
  // UI thread (effEditOpen, effEditClose, effEditIdle): the panel's own.
  intptr_t openEditor(void* parent) override;
  void closeEditor() override;
  void editorIdle() override;
  // Any thread.
  void requestRefresh() override;
  void parameterChanged(int32_t index, float value) override;

  // PanelControls, panel thread.
  float parameterValue(int32_t index) const override;
  void beginEdit(int32_t index) override;
  void performEdit(int32_t index, float value) override;
  void endEdit(int32_t index) override;
  GrooveDisplayState grooveDisplayState() const override;
  void idleHost() override;

  PanelEditor& panel() { return panel_; }
  const ERect& panelRect() const { return editorRectangle; }

 private:
  GrooveEngine* const engine_;
  PanelEditor panel_;
  ERect editorRectangle{0, 0, 0, 0};
};

}  // namespace gyrelle
