#include "toolkit/PanelFrame.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>

#include "host/ModuleInstance.h"
#include "toolkit/Canvas.h"
#include "toolkit/PanelBitmap.h"

namespace gyrelle {

namespace {

// Module-wide window class, shared by every frame of the loaded library.
char windowClassName[16] = "";
std::atomic<int32_t> windowClassUseCount{0};

void acquireWindowClass() {
  if (windowClassUseCount.fetch_add(1) == 0) {
    formatPanelWindowClassName(moduleInstance(), windowClassName);
  }
}

void releaseWindowClass() {
  if (windowClassUseCount.fetch_sub(1) == 1) windowClassName[0] = 0;
}

}  // namespace

void formatPanelWindowClassName(uintptr_t handle, char* out) {
  if (out == nullptr) return;
  std::snprintf(out, 16, "Plugin%08x", unsigned(handle & 0xFFFFFFFFu));
}

const char* panelWindowClassName() { return windowClassName; }
int32_t panelWindowClassUseCount() { return windowClassUseCount.load(); }

PanelFrame::PanelFrame(const PanelRect& r, uintptr_t parentWindow, PanelIdleHost* idleHost)
    : Widget(r), idleHost_(idleHost), parentWindow_(parentWindow) {
  if (parentWindow_ == 0) return;
  acquireWindowClass();
  window_ = currentPanelPlatform().createWindow(parentWindow_, r.width(), r.height(),
                                                windowClassName);
  // A frame without a window holds no class, so the name goes away with the
  // last real window even after failed openings.
  if (!window_) releaseWindowClass();
}

PanelFrame::~PanelFrame() {
  if (focusWidget_ != nullptr) {
    Widget* focus = focusWidget_;
    focusWidget_ = nullptr;
    focus->onFocusLost();
  }
  for (int32_t i = 0; i < count_; ++i) delete widgets_[i];
  delete[] widgets_;
  widgets_ = nullptr;
  count_ = capacity_ = 0;
  if (background_ != nullptr) background_->release();
  background_ = nullptr;
  if (window_) {
    window_.reset();
    releaseWindowClass();
  }
}

uintptr_t PanelFrame::window() const { return window_ ? window_->id() : 0; }

Widget* PanelFrame::widgetAt(int32_t index) const {
  return (index >= 0 && index < count_) ? widgets_[index] : nullptr;
}

bool PanelFrame::contains(const Widget* widget) const {
  for (int32_t i = 0; i < count_; ++i) {
    if (widgets_[i] == widget) return true;
  }
  return false;
}

void PanelFrame::setBackground(PanelBitmap* bitmap) {
  if (bitmap != nullptr) bitmap->addRef();  // first, in case it is the current one
  if (background_ != nullptr) background_->release();
  background_ = bitmap;
}

bool PanelFrame::addWidget(Widget* widget) {
  if (widget == nullptr || widget == this) return false;
  if (count_ >= capacity_) {
    const int32_t grown = capacity_ + 10;
    Widget** list = new (std::nothrow) Widget*[grown];
    if (list == nullptr) {
      capacity_ = 0;
      return false;
    }
    for (int32_t i = 0; i < count_; ++i) list[i] = widgets_[i];
    delete[] widgets_;
    widgets_ = list;
    capacity_ = grown;
  }
  widgets_[count_++] = widget;
  widget->frame = this;
  return true;
}

bool PanelFrame::removeWidget(Widget* widget) {
  for (int32_t i = 0; i < count_; ++i) {
    if (widgets_[i] != widget) continue;
    for (int32_t j = i; j + 1 < count_; ++j) widgets_[j] = widgets_[j + 1];
    --count_;
    if (focusWidget_ == widget) focusWidget_ = nullptr;  // never point at a widget we no longer hold
    break;
  }
  return true;
}

void PanelFrame::draw(Canvas& canvas) {
  notPaintedYet_ = false;
  if (background_ != nullptr) {
    background_->paint(canvas, PanelRect{0, 0, background_->width(), background_->height()},
                       PanelPoint{0, 0});
  }
  for (int32_t i = 0; i < count_; ++i) widgets_[i]->draw(canvas);
}

void PanelFrame::onMouseDown(Canvas& canvas, PanelPoint where) {
  if (focusWidget_ != nullptr && !focusWidget_->rect.contains(where)) {
    Widget* focus = focusWidget_;
    focusWidget_ = nullptr;
    focus->onFocusLost();
  }
  for (int32_t i = count_ - 1; i >= 0; --i) {
    if (widgets_[i]->rect.contains(where)) {
      widgets_[i]->onMouseDown(canvas, where);
      return;
    }
  }
}

void PanelFrame::refresh(Canvas& canvas) {
  if (!open_) return;
  for (int32_t i = 0; i < count_; ++i) widgets_[i]->refresh(canvas);
}

void PanelFrame::drawWidgetNow(Widget* widget) {
  PanelSurface* surface = window_ ? &window_->surface() : nullptr;
  Canvas canvas(this, surface, window_.get());
  if (widget != nullptr && contains(widget)) {
    widget->draw(canvas);
  } else {
    draw(canvas);
  }
}

void PanelFrame::pumpEvents() {
  if (window_) window_->pumpEvents(*this);
}

void PanelFrame::refreshAll() {
  pumpEvents();
  if (!open_ || notPaintedYet_) return;
  PanelSurface* surface = window_ ? &window_->surface() : nullptr;
  Canvas canvas(this, surface, window_.get());
  refresh(canvas);
}

int32_t PanelFrame::runPopup(const PanelPopupRequest& request) {
  if (!window_) return kPopupNone;
  const bool wasInPress = inPress_;
  inPress_ = true;  // presses meanwhile are the popup's, never the panel's
  const int32_t chosen = window_->popupMenu(request, *this);
  inPress_ = wasInPress;
  return chosen;
}

void PanelFrame::windowExposed() {
  if (!window_) return;
  Canvas canvas(this, &window_->surface(), window_.get());
  draw(canvas);
}

void PanelFrame::windowButtonPressed(PanelPoint where) {
  // A press that arrives while another press is being handled (a drag loop
  // pumping events) is dropped rather than nested.
  if (!window_ || inPress_) return;
  inPress_ = true;
  {
    Canvas canvas(this, &window_->surface(), window_.get());
    onMouseDown(canvas, where);
  }
  inPress_ = false;
}

void PanelFrame::windowDestroyed() {
  open_ = false;
  parentWindow_ = 0;
}

}  // namespace gyrelle
