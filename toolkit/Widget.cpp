#include "toolkit/Widget.h"

#include "toolkit/Canvas.h"
#include "toolkit/PanelFrame.h"

namespace gyrelle {

Widget::Widget(const PanelRect& r) : rect(r) {}
Widget::~Widget() = default;
void Widget::draw(Canvas&) {}
void Widget::onMouseDown(Canvas&, PanelPoint) {}
void Widget::refresh(Canvas&) {}
void Widget::onFocusLost() {}
void Widget::onFocusGained() {}

void Widget::attachOffscreen(OffscreenCanvas* offscreen) {
  if (offscreen == nullptr) return;
  if (offscreen->width() >= rect.width() && offscreen->height() >= rect.height()) {
    attachedOffscreen = offscreen;
  }
}

void Widget::redrawNow() {
  if (frame != nullptr) frame->drawWidgetNow(this);
}

ValueWidget::ValueWidget(const PanelRect& r, ValueListener* l, int32_t t)
    : Widget(r), listener(l), tag(t) {}

void ValueWidget::refresh(Canvas& canvas) {
  if (value_ != drawnValue_) {
    draw(canvas);
    drawnValue_ = value_;
  }
}

void ValueWidget::pumpIdle() {
  if (frame == nullptr) return;
  frame->pumpEvents();
  if (frame->idleHost() != nullptr) frame->idleHost()->idleWhileTracking();
}

void ValueWidget::setValue(float v) { value_ = v; }
float ValueWidget::value() const { return value_; }
void ValueWidget::setMinimum(float v) { minimum_ = v; }
float ValueWidget::minimum() const { return minimum_; }
void ValueWidget::setMaximum(float v) { maximum_ = v; }
float ValueWidget::maximum() const { return maximum_; }
void ValueWidget::setDrawnValue(float v) { drawnValue_ = v; }
float ValueWidget::drawnValue() const { return drawnValue_; }
void ValueWidget::setDefaultValue(float v) { defaultValue_ = v; }
float ValueWidget::defaultValue() const { return defaultValue_; }
void ValueWidget::setEnabled(bool e) { enabled_ = e; }
bool ValueWidget::isEnabled() const { return enabled_; }

}  // namespace gyrelle
