// The editor with a panel: the panel rectangle, the frame while the panel is
// open, and the throttled idle step that widgets tracking the mouse in a
// loop of their own run through the frame.
#pragma once

#include <cstdint>

#include "host/EditorBase.h"
#include "toolkit/Widget.h"

namespace gyrelle {

class PanelFrame;

class GuiEditor : public EditorBase, public PanelIdleHost {
 public:
  static constexpr uint32_t kTrackingIdleMs = 50;

  // Host thread that builds the effect: attaches itself to `effect`.
  explicit GuiEditor(HostedEffect* effect);

  // UI thread: the address of the panel rectangle; 1 (0 for a null `out`).
  intptr_t editorRect(ERect** out) override;
  // UI thread: requests a refresh and remembers the host's window.
  intptr_t openEditor(void* parent) override;
  // UI thread: a pending refresh, then the frame's refresh pass.
  void editorIdle() override;
  // Any thread: asks for a refresh at the next idle.
  void parameterChanged(int32_t index, float value) override;
  // UI thread: the whole panel at once, if it is open.
  virtual void redrawPanel(const PanelRect& area);
  // UI thread, from a widget's tracking loop: editorIdle and the host's
  // idle at most once every 50 ms.
  void idleWhileTracking() override;

  PanelFrame* panelFrame() const { return frame; }
  const ERect& panelRect() const { return editorRectangle; }

 protected:
  ERect editorRectangle{0, 0, 0, 0};
  PanelFrame* frame = nullptr;  // owned; exists only while the panel is open
  uint32_t lastIdleTicks;
};

}  // namespace gyrelle
