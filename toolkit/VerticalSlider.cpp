#include "toolkit/VerticalSlider.h"

#include "toolkit/Canvas.h"
#include "toolkit/PanelBitmap.h"

namespace gyrelle {

VerticalSlider::VerticalSlider(const PanelRect& r, ValueListener* l, int32_t t, int32_t minHandle,
                               int32_t maxHandle, PanelBitmap* handle, PanelBitmap* background,
                               PanelPoint backgroundOffset, int32_t style)
    : ValueWidget(r, l, t),
      handle_(handle),
      background_(background),
      handleWidth_(handle != nullptr ? handle->width() : 0),
      handleHeight_(handle != nullptr ? handle->height() : 0),
      backgroundOffset_(backgroundOffset),
      minHandle_(minHandle),
      maxHandle_(maxHandle),
      style_(style),
      handleTop_(maxHandle),
      lowestTop_(minHandle - r.top),
      highestBottom_(maxHandle + handleHeight_ - r.top),
      width_(r.width()),
      height_(r.height()) {
  if (handle_ != nullptr) handle_->addRef();
  if (background_ != nullptr) background_->addRef();
}

VerticalSlider::~VerticalSlider() {
  if (handle_ != nullptr) handle_->release();
  if (background_ != nullptr) background_->release();
}

void VerticalSlider::setMaskedHandle(bool masked) { maskedHandle_ = masked; }
void VerticalSlider::setHandleOffset(PanelPoint offset) { handleOffset_ = offset; }

void VerticalSlider::draw(Canvas& canvas) {
  const float f = (style_ & SliderTopIsMinimum) ? value_ : 1.0f - value_;
  const float range = float(maxHandle_ - minHandle_);
  OffscreenCanvas offscreen(frame, width_, height_, ColourBlack);
  if (background_ != nullptr) {
    background_->paint(offscreen, PanelRect{0, 0, width_, height_}, backgroundOffset_);
  }
  PanelRect handleRect;
  handleRect.left = handleOffset_.h;
  handleRect.right = handleRect.left + handleWidth_;
  // Truncation toward zero, done in double so that no float value can overflow.
  const double travel = double(f) * double(range);
  int32_t top = (travel > -1e9 && travel < 1e9) ? int32_t(travel) : 0;
  top += handleOffset_.v;
  if (top < lowestTop_) top = lowestTop_;
  handleRect.top = top;
  handleRect.bottom = top + handleHeight_;
  if (handleRect.bottom > highestBottom_) handleRect.bottom = highestBottom_;
  if (handle_ != nullptr) {
    if (maskedHandle_) {
      handle_->paintMasked(offscreen, handleRect, PanelPoint{0, 0});
    } else {
      handle_->paint(offscreen, handleRect, PanelPoint{0, 0});
    }
  }
  offscreen.blitTo(canvas, rect, PanelPoint{0, 0});
  handleTop_ = handleRect.top + rect.top;
  drawnValue_ = value_;
}

void VerticalSlider::onMouseDown(Canvas& canvas, PanelPoint where) {
  if (!enabled_) return;
  int32_t buttons = canvas.readMouseButtons();
  if (buttons == (MouseLeft | ModAlt)) {
    value_ = defaultValue_;
    if (value_ != drawnValue_ && listener != nullptr) listener->widgetChanged(canvas, this);
    return;
  }
  if (buttons != MouseLeft && buttons != (MouseLeft | ModShift)) return;
  const PanelRect handleRect{rect.left, handleTop_, rect.left + handleWidth_,
                             handleTop_ + handleHeight_};
  if (handle_ == nullptr || !handleRect.contains(where)) return;

  const float range = float(maxHandle_ - minHandle_);
  const int32_t grab = where.v - handleTop_;
  float reference = value_;
  int32_t remembered = buttons;
  int32_t current = buttons;
  PanelPoint point = where;
  if (listener != nullptr) listener->gestureBegan(this);
  do {
    // A travel of 0 pixels has no positions in between: the value stays where it is.
    float v = range != 0.0f ? float(int64_t(point.v) - minHandle_ - grab) / range : value_;
    if (range != 0.0f && (style_ & SliderTopIsMaximum)) v = 1.0f - v;
    if (current & ModShift) v = reference + (v - reference) / 10.0f;
    if (v < 0.0f) v = 0.0f;
    if (v > 1.0f) v = 1.0f;
    value_ = v;
    if (value_ != drawnValue_ && listener != nullptr) listener->widgetChanged(canvas, this);
    canvas.readMousePosition(point);
    pumpIdle();
    current = canvas.readMouseButtons();
    if (current != remembered && (current & ModShift)) {
      reference = value_;
      remembered = current;
    }
  } while (current == MouseLeft || current == (MouseLeft | ModShift));
  if (listener != nullptr) listener->gestureEnded(this);
}

}  // namespace gyrelle
