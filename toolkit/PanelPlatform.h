// The one seam between the panel toolkit and a windowing system. The widget
// logic only talks to these interfaces; two implementations exist: X11
// through XCB, and an in-memory headless one for tests.
#pragma once

#include <cstdint>
#include <memory>

#include "toolkit/PanelSurface.h"
#include "toolkit/PanelTypes.h"

namespace gyrelle {

// What the panel window's queued events turn into; PanelFrame implements it.
// Called on the panel window's thread, from inside pumpEvents or a popup.
class PanelWindowEvents {
 public:
  virtual ~PanelWindowEvents() = default;
  virtual void windowExposed() = 0;                 // draw the whole panel
  virtual void windowButtonPressed(PanelPoint) = 0;  // left or right button
  virtual void windowDestroyed() = 0;               // the window went away
};

// A popup list of entries; "-" entries are separators.
struct PanelPopupRequest {
  const char* const* entries = nullptr;
  int32_t count = 0;
  int32_t checked = -1;        // entry shown with a check mark, -1 for none
  PanelPoint at{0, 0};         // top-left corner in root (screen) coordinates
};

constexpr int32_t kPopupNone = -1;

// One panel child window with its own pixel surface. Its operations run on
// the panel window's thread and touch only this window's connection and
// surface; presenting (through the surface) may also come from a host thread.
class PanelWindow {
 public:
  virtual ~PanelWindow() = default;
  // The window's pixel buffer; canvases on it present their changes when
  // they are destroyed.
  virtual PanelSurface& surface() = 0;
  // An id for the window (the X window id, or a headless number), never 0.
  virtual uintptr_t id() const = 0;
  // Runs the window's queued events into `events` without waiting.
  virtual void pumpEvents(PanelWindowEvents& events) = 0;
  // Live pointer buttons and modifiers as MouseLeft | ModShift | ...
  virtual int32_t readMouseButtons() = 0;
  // Live pointer position relative to the window.
  virtual PanelPoint readMousePosition() = 0;
  // The window's top-left corner in root coordinates.
  virtual PanelPoint screenOrigin() = 0;
  // Runs a modal popup; answers the chosen index or kPopupNone. Events of
  // the panel window that arrive meanwhile go to `events`, except button
  // presses, which are swallowed.
  virtual int32_t popupMenu(const PanelPopupRequest& request, PanelWindowEvents& events) = 0;
};

// Creates panel windows (on the thread that creates the frame) and tells
// the time (any thread). Holds no per-window state.
class PanelPlatform {
 public:
  virtual ~PanelPlatform() = default;
  // A child window of `parent` at (0, 0) with the given size and class name,
  // or null when the parent does not exist or no display can be reached.
  virtual std::unique_ptr<PanelWindow> createWindow(uintptr_t parent, int32_t width,
                                                    int32_t height, const char* className) = 0;
  // Monotonic milliseconds.
  virtual uint32_t tickCount() = 0;
};

// The platform new frames use: the one installed with
// usePanelPlatformForTesting, else the X11 one. Any thread.
PanelPlatform& currentPanelPlatform();

// Tests install the headless platform here (null puts X11 back). Call it
// while no frame exists.
void usePanelPlatformForTesting(PanelPlatform* platform);

// The platform's monotonic millisecond clock (the editor's idle throttle).
uint32_t panelTickCount();

}  // namespace gyrelle
