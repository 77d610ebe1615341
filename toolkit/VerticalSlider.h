// A value 0..1 shown as a handle picture moving up and down over a
// background picture, dragged by its handle (shift: fine mode), reset to the
// default value with alt + click. Used on the panel window's thread; its
// drag loop keeps that thread until the button is let go, running the
// frame's idle host meanwhile.
#pragma once

#include <cstdint>

#include "toolkit/Widget.h"

namespace gyrelle {

class PanelBitmap;

constexpr int32_t SliderTopIsMinimum = 32;  // drawing: value 0 at the top
constexpr int32_t SliderTopIsMaximum = 64;  // mouse: value 1 at the top

class VerticalSlider : public ValueWidget {
 public:
  // minHandle and maxHandle are the panel rows of the handle's top at the
  // two ends of the travel. Adds references to both bitmaps; a null handle
  // gives a 0 x 0 handle that can never be grabbed.
  VerticalSlider(const PanelRect& rect, ValueListener* listener, int32_t tag, int32_t minHandle,
                 int32_t maxHandle, PanelBitmap* handle, PanelBitmap* background,
                 PanelPoint backgroundOffset, int32_t style);
  ~VerticalSlider() override;

  void draw(Canvas& canvas) override;
  // Runs the drag loop until the button is released.
  void onMouseDown(Canvas& canvas, PanelPoint where) override;

  virtual void setMaskedHandle(bool masked);
  virtual void setHandleOffset(PanelPoint offset);

  int32_t handleTop() const { return handleTop_; }

 private:
  PanelBitmap* handle_;
  PanelBitmap* background_;
  int32_t handleWidth_;
  int32_t handleHeight_;
  PanelPoint backgroundOffset_;
  PanelPoint handleOffset_{0, 0};
  int32_t minHandle_;
  int32_t maxHandle_;
  int32_t style_;
  int32_t handleTop_;
  bool maskedHandle_ = true;
  int32_t lowestTop_;
  int32_t highestBottom_;
  int32_t width_;
  int32_t height_;
};

}  // namespace gyrelle
