// The root of everything placed on the panel, and the value widget that
// every control shares. Widgets live on the panel window's thread; a value
// set from another host thread may be drawn from there (redrawNow).
#pragma once

#include <cstdint>

#include "toolkit/PanelTypes.h"

namespace gyrelle {

class Canvas;
class OffscreenCanvas;
class PanelFrame;
class ValueWidget;

// Told about value changes made with the mouse; the editor implements it.
class ValueListener {
 public:
  virtual ~ValueListener() = default;
  // Called on the panel window's thread with the canvas the widget holds.
  virtual void widgetChanged(Canvas& canvas, ValueWidget* widget) = 0;
  // A drag with the mouse starts and ends: the changes in between form one
  // gesture (hosts record automation from it). Panel window's thread.
  virtual void gestureBegan(ValueWidget*) {}
  virtual void gestureEnded(ValueWidget*) {}
};

// What a frame offers widgets that track the mouse in a loop of their own:
// the editor's throttled idle step (it refreshes the panel and lets the host
// run its idle work). The editor implements it.
class PanelIdleHost {
 public:
  virtual ~PanelIdleHost() = default;
  // Called on the panel window's thread from inside a tracking loop.
  virtual void idleWhileTracking() = 0;
};

class Widget {
 public:
  explicit Widget(const PanelRect& rect);
  virtual ~Widget();
  Widget(const Widget&) = delete;
  Widget& operator=(const Widget&) = delete;

  // The frame calls these on the panel window's thread.
  virtual void draw(Canvas& canvas);
  virtual void onMouseDown(Canvas& canvas, PanelPoint where);
  virtual void refresh(Canvas& canvas);
  virtual void onFocusLost();
  virtual void onFocusGained();
  // Stores `offscreen` if it is at least as large as the rect; a null or
  // too small one changes nothing.
  virtual void attachOffscreen(OffscreenCanvas* offscreen);

  // Draws this widget at once through its frame; nothing without a frame.
  void redrawNow();

  PanelRect rect;
  PanelFrame* frame = nullptr;             // set by PanelFrame::addWidget, not owned
  OffscreenCanvas* attachedOffscreen = nullptr;  // not owned
};

class ValueWidget : public Widget {
 public:
  ValueWidget(const PanelRect& rect, ValueListener* listener, int32_t tag);

  void draw(Canvas& canvas) override = 0;
  // Draws when the value differs from the drawn value, then marks it drawn.
  void refresh(Canvas& canvas) override;

  // Runs the editor's idle step from inside a mouse-tracking loop (and the
  // panel window's queued events); nothing without a frame.
  virtual void pumpIdle();
  virtual void setValue(float value);
  virtual float value() const;
  virtual void setMinimum(float minimum);
  virtual float minimum() const;
  virtual void setMaximum(float maximum);
  virtual float maximum() const;
  virtual void setDrawnValue(float drawn);
  virtual float drawnValue() const;
  virtual void setDefaultValue(float value);
  virtual float defaultValue() const;
  virtual void setEnabled(bool enabled);
  virtual bool isEnabled() const;

  ValueListener* listener;  // not owned, may be null
  int32_t tag;

 protected:
  bool enabled_ = true;
  float drawnValue_ = -1.0f;
  float defaultValue_ = 0.5f;
  float value_ = 0.0f;
  float minimum_ = 0.0f;
  float maximum_ = 1.0f;
};

}  // namespace gyrelle
