#include "editor/KnobView.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "toolkit/Canvas.h"
#include "toolkit/PanelBitmap.h"

namespace gyrelle {

namespace {

constexpr float kPi = 3.1415927f;

void copyText(char* to, const char* from) {
  if (from == nullptr) from = "";
  const size_t n = strnlen(from, kKnobTextBytes - 1);
  std::memcpy(to, from, n);
  to[n] = '\0';
}

PanelColour darker(PanelColour c) {
  return PanelColour{uint8_t(2 * c.red / 3), uint8_t(2 * c.green / 3), uint8_t(2 * c.blue / 3),
                     c.alpha};
}

// Moves a non-zero component to the nearest of -1, 0, 1 after dividing by len.
int32_t unitOffset(int32_t component, int32_t len) {
  component = component > 0 ? component + len - 1 : component + 1 - len;
  return len > 1 ? component / len : component;
}

}  // namespace

KnobView::KnobView(const PanelRect& rect, ValueListener* listener, int32_t tag, PanelFrame* frame,
                   PanelBitmap* background, PanelColour colour, const char* caption,
                   const char* unit)
    : ValueWidget(rect, listener, tag),
      offscreenPicture_(new PanelBitmap(frame, rect.width(), rect.height())),
      localRect_{0, 0, rect.width(), rect.height()},
      background_(background),
      captionHeight_(rect.height() - rect.width()),
      colour_(colour),
      darkColour_(darker(colour)) {
  copyText(caption_, caption);
  copyText(unit_, unit);
}

KnobView::~KnobView() {
  delete offscreen_;
  offscreenPicture_->release();
}

void KnobView::setValueText(float value, const char* text) {
  value_ = value;
  copyText(valueText_, text);
}

PanelPoint KnobView::needleCentre() const {
  const int32_t w = rect.width();
  return PanelPoint{w / 2, w / 2 + captionHeight_};
}

PanelPoint KnobView::needleTip() const {
  const float angle = (2.0f * value_ - 1.0f) * kPi * 0.75f;
  const PanelPoint m = needleCentre();
  const int32_t radius = rect.width() / 2 - 2;
  return PanelPoint{m.h + int32_t(std::sin(angle) * float(radius)),
                    m.v - int32_t(std::cos(angle) * float(radius))};
}

const char* KnobView::shownText() {
  std::memcpy(shownText_, valueText_, sizeof shownText_);
  if (unit_[0] != '\0') {
    const size_t used = std::strlen(shownText_);
    std::snprintf(shownText_ + used, sizeof shownText_ - used, " %s", unit_);
  }
  return shownText_;
}

void KnobView::draw(Canvas& canvas) {
  const int32_t w = rect.width();
  const int32_t h = rect.height();
  const int32_t k = captionHeight_;
  if (offscreen_ == nullptr) offscreen_ = new OffscreenCanvas(canvas, offscreenPicture_);
  OffscreenCanvas& off = *offscreen_;

  if (background_ != nullptr) background_->paint(off, localRect_, PanelPoint{rect.left, rect.top});
  off.selectFont(kFontArial11, 0);
  off.setTextColour(colour_);
  off.drawText(caption_, PanelRect{0, 0, w, k}, false, AlignCentre);

  off.setFillColour(darkColour_);
  off.fillInnerPie(PanelRect{0, k, w, h}, PanelPoint{w, h}, PanelPoint{0, h});

  const PanelPoint m = needleCentre();
  const PanelPoint t = needleTip();
  off.setFillColour(colour_);
  off.setPenColour(colour_);
  const int32_t dx = m.h - t.h;
  const int32_t dy = m.v - t.v;
  const int32_t len = int32_t(std::sqrt(float(dx * dx + dy * dy)));
  const int32_t ox = unitOffset(t.v - m.v, len);
  const int32_t oy = unitOffset(dx, len);
  const PanelPoint corners[4] = {
      {m.h - ox, m.v - oy}, {m.h + ox, m.v + oy}, {t.h + ox, t.v + oy}, {t.h - ox, t.v - oy}};
  off.drawPolyline(corners, 4);
  off.fillPolygon(corners, 4);

  off.setFillColour(colour_);
  off.fillInnerEllipse(PanelRect{m.h - 4, m.v - 4, m.h + 4, m.v + 4});

  off.drawText(shownText(), PanelRect{0, w, w, h}, false, AlignCentre);
  off.blitTo(canvas, rect, PanelPoint{0, 0});
  drawnValue_ = value_;
}

void KnobView::onMouseDown(Canvas&, PanelPoint where) {
  pressRow_ = where.v;
  pressValue_ = value_;
  dragging_ = true;
  if (listener != nullptr) listener->gestureBegan(this);
}

void KnobView::refresh(Canvas& canvas) {
  if (!dragging_) return;
  if ((canvas.readMouseButtons() & MouseLeft) == 0) {
    dragging_ = false;
    if (listener != nullptr) listener->gestureEnded(this);
    return;
  }
  PanelPoint where{0, 0};
  canvas.readMousePosition(where);
  if (where.v == pressRow_) return;
  float v = float(pressRow_ - where.v) / float(kDragPixels) + pressValue_;
  if (v > 1.0f) v = 1.0f;
  if (v < 0.0f) v = 0.0f;
  value_ = v;
  if (listener != nullptr) listener->widgetChanged(canvas, this);
}

}  // namespace gyrelle
