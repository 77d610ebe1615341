// The panel as an LV2 UI: the effect is reached only through the plug-in's
// control ports. Edits go out through the host's write function (in the
// ports' own units, bracketed by touch notifications when the host offers
// them); port events from the host move the panel's controls; the groove
// display follows the phase output port.
//
// Threads: every entry is called on the host's UI thread, the thread that
// instantiated the UI; nothing here is shared with the audio thread.
#pragma once

#include <lv2/ui/ui.h>

#include <cstdint>

#include "editor/PanelControls.h"
#include "editor/PanelEditor.h"

namespace gyrelle::lv2 {

// The host services a UI instance is given.
struct Lv2UiHost {
  LV2UI_Write_Function write = nullptr;
  LV2UI_Controller controller = nullptr;
  const LV2UI_Touch* touch = nullptr;    // may be null
  const LV2UI_Resize* resize = nullptr;  // may be null
};

class Lv2Panel : public PanelControls {
 public:
  explicit Lv2Panel(const Lv2UiHost& host);
  ~Lv2Panel() override;
  Lv2Panel(const Lv2Panel&) = delete;
  Lv2Panel& operator=(const Lv2Panel&) = delete;

  // UI thread: opens the panel in the host's window `parent` and tells the
  // host its size. False when no panel window could be made.
  bool open(uintptr_t parent);
  // UI thread: the panel's X window (the UI's widget).
  uintptr_t window() const { return panel_.panelWindow(); }
  // UI thread (port_event): a port's new value from the host. Anything but
  // a float on one of our ports is ignored, and so is NaN.
  void portEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer);
  // UI thread (the idle interface): the panel's idle; 0 to be called
  // again, 1 once the panel's window is gone.
  int idle();

  // PanelControls, UI thread.
  float parameterValue(int32_t index) const override;
  void beginEdit(int32_t index) override;
  void performEdit(int32_t index, float value) override;
  void endEdit(int32_t index) override;
  GrooveDisplayState grooveDisplayState() const override;
  void idleHost() override {}

  PanelEditor& panel() { return panel_; }

 private:
  static constexpr int32_t kParameters = 9;

  Lv2UiHost host_;
  float values_[kParameters];  // what the ports hold, as parameter values 0..1
  float phase_;                // the phase output port's last value
  PanelEditor panel_;
};

}  // namespace gyrelle::lv2
