// The rotary knob: a caption strip, a 270-degree dial in a darker shade of
// the knob's colour with a needle and a hub, and the value text below. It is
// turned by pressing on it and moving the pointer up or down (160 pixels for
// the whole range, measured from the press); the frame's idle refresh does
// the tracking. The knob never formats its value: the editor hands it the
// text. Panel thread only.
#pragma once

#include <cstdint>

#include "editor/KnobText.h"
#include "toolkit/Widget.h"

namespace gyrelle {

class OffscreenCanvas;
class PanelBitmap;

class KnobView : public ValueWidget {
 public:
  static constexpr int32_t kDragPixels = 160;

  // `background` is the panel picture (not owned; painted under the knob).
  KnobView(const PanelRect& rect, ValueListener* listener, int32_t tag, PanelFrame* frame,
           PanelBitmap* background, PanelColour colour, const char* caption, const char* unit);
  ~KnobView() override;

  void draw(Canvas& canvas) override;
  void onMouseDown(Canvas& canvas, PanelPoint where) override;
  void refresh(Canvas& canvas) override;

  // Stores the value and the text to show; draws nothing.
  void setValueText(float value, const char* text);

  // The geometry the drawing uses, in knob coordinates.
  PanelPoint needleCentre() const;
  PanelPoint needleTip() const;
  int32_t captionHeight() const { return captionHeight_; }
  PanelColour colour() const { return colour_; }
  PanelColour darkColour() const { return darkColour_; }
  const char* valueText() const { return valueText_; }
  // The value text and unit as drawn.
  const char* shownText();
  bool isDragging() const { return dragging_; }

 private:
  PanelBitmap* offscreenPicture_;
  OffscreenCanvas* offscreen_ = nullptr;
  PanelRect localRect_;
  PanelBitmap* background_;
  int32_t captionHeight_;
  char shownText_[kKnobTextBytes] = {};
  char caption_[kKnobTextBytes] = {};
  char unit_[kKnobTextBytes] = {};
  char valueText_[kKnobTextBytes] = {};
  PanelColour colour_;
  PanelColour darkColour_;
  bool dragging_ = false;
  int32_t pressRow_ = 0;
  float pressValue_ = 0.0f;
};

}  // namespace gyrelle
