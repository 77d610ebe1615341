// The panel: one child window inside the host's window, a background
// bitmap and an ordered list of widgets drawn over it. Created and
// destroyed by the editor on the host's user-interface thread; all its
// operations run there, except drawWidgetNow, which a host thread changing
// a parameter may call too.
#pragma once

#include <cstdint>
#include <memory>

#include "toolkit/PanelPlatform.h"
#include "toolkit/Widget.h"

namespace gyrelle {

class PanelBitmap;

class PanelFrame : public Widget, private PanelWindowEvents {
 public:
  // Opens the panel window in `parentWindow` (an X11 window id) on the
  // current platform; a parent of 0, one that does not exist or a display
  // that cannot be reached leave the frame without a window.
  PanelFrame(const PanelRect& rect, uintptr_t parentWindow, PanelIdleHost* idleHost);
  ~PanelFrame() override;

  void draw(Canvas& canvas) override;
  void onMouseDown(Canvas& canvas, PanelPoint where) override;
  void refresh(Canvas& canvas) override;
  // Appends; from then on the frame owns the widget. False (and capacity 0)
  // when the list cannot grow, or for a null widget.
  virtual bool addWidget(Widget* widget);
  // Removes the first occurrence without deleting it. Always true.
  virtual bool removeWidget(Widget* widget);

  void setBackground(PanelBitmap* bitmap);
  // Draws `widget` at once if it is in the list, else the whole panel.
  void drawWidgetNow(Widget* widget);
  // Runs the window's queued events, then (once painted and while open)
  // the refresh pass over all widgets.
  void refreshAll();
  // Runs the window's queued events only (tracking loops call it).
  void pumpEvents();
  // Runs a popup on the panel window (kPopupNone without a window); the
  // window's events keep being handled meanwhile.
  int32_t runPopup(const PanelPopupRequest& request);
  void setFocusWidget(Widget* widget) { focusWidget_ = widget; }
  Widget* focusWidget() const { return focusWidget_; }

  // The panel window's id (0 without a window).
  uintptr_t window() const;
  PanelWindow* platformWindow() const { return window_.get(); }
  PanelIdleHost* idleHost() const { return idleHost_; }
  uintptr_t parentWindow() const { return parentWindow_; }
  PanelBitmap* background() const { return background_; }
  int32_t widgetCount() const { return count_; }
  Widget* widgetAt(int32_t index) const;
  bool isOpen() const { return open_; }
  bool notPaintedYet() const { return notPaintedYet_; }

 private:
  void windowExposed() override;
  void windowButtonPressed(PanelPoint where) override;
  void windowDestroyed() override;
  bool contains(const Widget* widget) const;

  PanelIdleHost* idleHost_;
  uintptr_t parentWindow_;
  PanelBitmap* background_ = nullptr;
  int32_t count_ = 0;
  int32_t capacity_ = 0;
  Widget** widgets_ = nullptr;
  Widget* focusWidget_ = nullptr;
  bool notPaintedYet_ = true;
  bool open_ = true;
  bool inPress_ = false;
  std::unique_ptr<PanelWindow> window_;
};

// The module-wide window class: "Plugin%08x" from the low 32 bits of the
// library's load address, kept while at least one frame has a window.
// Formats the class name of `handle` into `out` (at least 16 bytes).
void formatPanelWindowClassName(uintptr_t handle, char* out);
// The class name in use ("" while no frame has a window). UI thread.
const char* panelWindowClassName();
// How many frames hold the window class. UI thread.
int32_t panelWindowClassUseCount();

}  // namespace gyrelle
